#pragma once

#include <string>

namespace testsupport {

// One gzip member holding `data`.
std::string GzipBytes(const std::string& data);
// Seeded pseudo-random bytes, incompressible.
std::string RandomBytes(std::size_t size, unsigned seed);

}  // namespace testsupport
