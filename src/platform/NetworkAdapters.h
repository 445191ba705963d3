#pragma once

#include <cstdint>
#include <vector>

namespace platform {

// Hardware addresses of the network adapters in the order the system lists them, loopback left
// out. False when the list cannot be read at all.
bool ListAdapterHardwareAddresses(std::vector<std::vector<std::uint8_t>>& out);

}  // namespace platform
