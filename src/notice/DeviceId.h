#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The device identifier: upper-case hexadecimal MD5 of every adapter's hardware address bytes,
// written "%02X" back to back, in the order the system lists the adapters.
std::string DeviceIdFromAddresses(const std::vector<std::vector<std::uint8_t>>& addresses);

// Leaves `out` unchanged when the adapter list cannot be read.
void GetDeviceId(std::string& out);
