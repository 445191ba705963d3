#include "platform/NetworkAdapters.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <netpacket/packet.h>
#include <sys/socket.h>

namespace platform {

bool ListAdapterHardwareAddresses(std::vector<std::vector<std::uint8_t>>& out) {
    struct ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0)
        return false;
    for (struct ifaddrs* entry = list; entry; entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_PACKET || (entry->ifa_flags & IFF_LOOPBACK))
            continue;
        const auto* link = reinterpret_cast<const struct sockaddr_ll*>(entry->ifa_addr);
        if (link->sll_halen == 0)
            continue;
        out.emplace_back(link->sll_addr, link->sll_addr + link->sll_halen);
    }
    ::freeifaddrs(list);
    return true;
}

}  // namespace platform
