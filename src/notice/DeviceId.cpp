#include "notice/DeviceId.h"

#include "base/Md5.h"
#include "platform/NetworkAdapters.h"

std::string DeviceIdFromAddresses(const std::vector<std::vector<std::uint8_t>>& addresses) {
    std::string text;
    for (const auto& address : addresses)
        text += ToHexUpper(std::string(address.begin(), address.end()));
    return Md5HexOfText(text);
}

void GetDeviceId(std::string& out) {
    std::vector<std::vector<std::uint8_t>> addresses;
    if (!platform::ListAdapterHardwareAddresses(addresses))
        return;
    out = DeviceIdFromAddresses(addresses);
}
