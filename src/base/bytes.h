#pragma once

#include <cstdint>
#include <vector>

namespace torvane {

// A counted array of bytes: field values, file contents, pictures. May hold zero bytes.
using Bytes = std::vector<std::uint8_t>;

}  // namespace torvane
