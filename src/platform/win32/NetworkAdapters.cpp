#include "platform/NetworkAdapters.h"

// The system header first: the others build on its types.
#include <windows.h>
#include <winsock2.h>

#include <iphlpapi.h>

namespace platform {

bool ListAdapterHardwareAddresses(std::vector<std::vector<std::uint8_t>>& out) {
    const ULONG flags = GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
    ULONG size = 16 * 1024;
    std::vector<unsigned char> buffer;
    ULONG result = ERROR_BUFFER_OVERFLOW;
    // The list can grow between the two calls; a few tries settle it.
    for (int attempt = 0; attempt < 4 && result == ERROR_BUFFER_OVERFLOW; ++attempt) {
        buffer.resize(size);
        result = ::GetAdaptersAddresses(AF_UNSPEC, flags, nullptr,
                                        reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()), &size);
    }
    if (result == ERROR_NO_DATA)
        return true;
    if (result != NO_ERROR)
        return false;
    for (auto* adapter = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()); adapter; adapter = adapter->Next) {
        if (adapter->IfType == IF_TYPE_SOFTWARE_LOOPBACK || adapter->PhysicalAddressLength == 0)
            continue;
        out.emplace_back(adapter->PhysicalAddress, adapter->PhysicalAddress + adapter->PhysicalAddressLength);
    }
    return true;
}

}  // namespace platform
