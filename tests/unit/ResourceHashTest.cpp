#include "resources/ResourceHash.h"

#include "base/Md5.h"
#include "support/TestFolders.h"

#include <gtest/gtest.h>

namespace {

using testsupport::TempFolder;
using testsupport::WriteFileBytes;

class ResourceHashTest : public testing::Test {
protected:
    // Writes version.txt and computes the hash, keeping the trace of LoadManifest.
    std::string HashOf(const std::string& manifest) {
        WriteFileBytes(root_.path() + "version.txt", manifest);
        return Hash();
    }
    std::string Hash() {
        testing::internal::CaptureStdout();
        std::string hash = ComputeResourceHash(root_.path());
        trace_ = testing::internal::GetCapturedStdout();
        return hash;
    }

    TempFolder root_;
    std::string trace_;
};

TEST_F(ResourceHashTest, MissingOrUnusableManifest) {
    EXPECT_EQ(Hash(), "");
    EXPECT_EQ(trace_, "资源配置文件路径:\t" + root_.path() + "version.txt\r\n");
    EXPECT_EQ(ComputeResourceHash(""), "");  // no install root known yet

    EXPECT_EQ(HashOf(""), "D41D8CD98F00B204E9800998ECF8427E");
    EXPECT_EQ(HashOf("\r\n   \r\na=1\r\n"), "D41D8CD98F00B204E9800998ECF8427E");
    EXPECT_EQ(HashOf("only-a-name\r\n=1\r\n"), "D41D8CD98F00B204E9800998ECF8427E");
}

TEST_F(ResourceHashTest, ConcatenatesMd5FieldsInNameOrder) {
    std::string hash = HashOf("b.dat=22\r\na.dat=11\r\nsub\\c.dat=33=pkg=1=2\r\n");
    EXPECT_EQ(hash, Md5HexOfText("112233"));
    EXPECT_NE(trace_.find("资源配置文件内容:\r\n"), std::string::npos);  // LoadManifest traced again
    EXPECT_EQ(HashOf("sub\\c.dat=33\r\na.dat=11\r\nb.dat=22"), hash);    // line order does not matter
    EXPECT_NE(HashOf("b.dat=22\r\na.dat=11\r\nsub\\c.dat=34\r\n"), hash);
    EXPECT_NE(HashOf("b.dat=22\r\na.dat=11\r\nsub\\c.dat=3\r\n"), hash);
}

TEST_F(ResourceHashTest, OrdersNamesByUtf16CodeUnits) {
    const std::string fullwidthA = "\xEF\xBC\xA1";  // U+FF21
    const std::string emoji = "\xF0\x9F\x98\x80";   // U+1F600: a surrogate pair, so it sorts first
    std::string hash = HashOf(fullwidthA + "=AAAA\r\n" + emoji + "=BBBB\r\n");
    EXPECT_EQ(hash, Md5HexOfText("BBBBAAAA"));
    EXPECT_NE(hash, Md5HexOfText("AAAABBBB"));
}

TEST_F(ResourceHashTest, EqualNamesKeepTheirFileOrder) {
    EXPECT_EQ(HashOf("a=2\r\nb=3\r\na=1\r\n"), Md5HexOfText("213"));
    EXPECT_EQ(HashOf("a=1\r\nb=3\r\na=2\r\n"), Md5HexOfText("123"));
}

}  // namespace
