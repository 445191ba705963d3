#include "notice/OpenInBrowser.h"

#include "platform/Browser.h"

bool OpenInBrowser(const std::string& address) {
    if (platform::OpenWithDesktop(address))
        return true;
    return platform::RunCommandWithArgument(platform::ConfiguredBrowserCommand(), address);
}
