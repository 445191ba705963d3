// Stand-in for the game executable: appends its full command line and its working folder to
// launch_record.txt in its working folder, then exits 0.
#include "platform/FileSystem.h"
#include "platform/Paths.h"

#include <string>

int main(int argc, char** argv) {
    std::string line;
    for (int i = 0; i < argc; ++i) {
        if (i > 0)
            line.push_back(' ');
        line += argv[i];
    }
    std::string folder = platform::CurrentFolder();
    platform::AppendToFile(folder + "/launch_record.txt", "command=" + line + "\nfolder=" + folder + "\n");
    return 0;
}
