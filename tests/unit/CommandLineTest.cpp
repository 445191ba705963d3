#include "shell/CommandLine.h"

#include "platform/Process.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(CommandLineTest, FindsTheFirstMatchingKeyAndDecodesItsValue) {
    const struct {
        const char* commandLine;
        const char* key;
        bool found;
        const char* value;
    } cases[] = {
        {"launcher_reboot=true", "LAUNCHER_REBOOT", true, "true"},
        {"ENTRANCE=C:/QRVO/Tolm/entry.exe ENTRANCE=D:/other.exe", "ENTRANCE", true, "C:/QRVO/Tolm/entry.exe"},
        {"  KEY=a%20b  ", "key", true, "a b"},
        {"KEY=a+b", "KEY", true, "a b"},
        {"KEY=", "KEY", true, ""},
        {"=KEY", "KEY", false, ""},
        {"=value", "", true, "value"},  // the empty key part is the empty key
        {"KEY KEYX=1 OTHER=2", "KEY", false, ""},
        {"A=x=y", "A", true, "x=y"},  // the value starts after the first "="
        {"A=%E4%B8%AD", "A", true, "\xE4\xB8\xAD"},
        {"A=%FF", "A", true, "?"},  // bytes that are no text become "?"
        {"", "A", false, ""},
    };
    for (const auto& c : cases) {
        std::string value;
        EXPECT_EQ(FindCommandLineValue(c.commandLine, c.key, value), c.found) << c.commandLine;
        if (c.found) {
            EXPECT_EQ(value, c.value) << c.commandLine;
        }
    }
}

TEST(CommandLineTest, RebootKeyAndRepairFlagAreReadFromTheProcessCommandLine) {
    const struct {
        std::vector<const char*> argv;
        bool reboot;
        bool repair;
    } cases[] = {
        {{"/p/Tolmqrvo", "launcher_reboot=true"}, true, false},
        {{"/p/Tolmqrvo", "LAUNCHER_REBOOT=TRUE", "ENTRANCE=/x"}, true, false},
        {{"/p/Tolmqrvo", "LAUNCHER_REBOOT=yes"}, false, false},
        {{"/p/Tolmqrvo"}, false, false},
        {{"/p/Tolmqrvo", "--repair"}, false, true},
        {{"/p/Tolmqrvo", "LAUNCHER_REBOOT=TRUE", "--repair"}, true, true},
        // Only the exact token: no value form, no prefix, no other case.
        {{"/p/Tolmqrvo", "--repair=1", "--repairs", "--REPAIR", "repair"}, false, false},
    };
    for (const auto& c : cases) {
        std::vector<char*> args;
        for (const char* arg : c.argv)
            args.push_back(const_cast<char*>(arg));
        platform::SetCommandLine(static_cast<int>(args.size()), args.data());
        EXPECT_EQ(IsLauncherReboot(), c.reboot) << platform::CommandLineText();
        EXPECT_EQ(IsRepairRequested(), c.repair) << platform::CommandLineText();
    }
    platform::SetCommandLine(0, nullptr);
}

}  // namespace
