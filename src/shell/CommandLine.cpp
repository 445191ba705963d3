#include "shell/CommandLine.h"

#include "base/TextConversions.h"
#include "platform/CodePage.h"
#include "platform/Process.h"
#include "shell/GameProcessContract.h"

#include <algorithm>
#include <vector>

bool FindCommandLineValue(const std::string& commandLine, const std::string& key, std::string& value) {
    std::vector<std::string> tokens;
    SplitText(TrimText(commandLine), " ", &tokens);
    for (const std::string& token : tokens) {
        std::size_t equals = token.find('=');
        if (equals == std::string::npos || !EqualsIgnoringAsciiCase(token.substr(0, equals), key))
            continue;
        value = platform::AnsiToText(UrlDecode(platform::TextToAnsi(token.substr(equals + 1))));
        return true;
    }
    return false;
}

bool HasCommandLineFlag(const std::string& commandLine, const std::string& flag) {
    std::vector<std::string> tokens;
    SplitText(TrimText(commandLine), " ", &tokens);
    return std::find(tokens.begin(), tokens.end(), flag) != tokens.end();
}

bool IsRepairRequested() {
    return HasCommandLineFlag(platform::CommandLineText(), kRepairFlag);
}

bool GetCommandLineValue(const std::string& key, std::string& value) {
    return FindCommandLineValue(platform::CommandLineText(), key, value);
}

bool IsLauncherReboot() {
    std::string value;
    return GetCommandLineValue(kRebootKey, value) && EqualsIgnoringAsciiCase(value, "TRUE");
}
