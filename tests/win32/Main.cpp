// The test program's main: C streams open in binary mode, so the trace's CR LF line ends reach
// the tests that read captured standard output as they were written (GoogleTest reads the
// capture back through fopen with mode "r").
#include <fcntl.h>
#include <stdlib.h>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    _fmode = _O_BINARY;
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
