#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tidyframe {

using Bytes = std::vector<std::uint8_t>;

// Standard Base64 with "=" padding.
std::string base64Encode(const Bytes& bytes);

// Strict decoding: the standard alphabet, length a multiple of four, padding only at the end,
// and the bits the padding leaves unused zero, so every text has one byte sequence.
// Anything else yields nothing.
std::optional<Bytes> base64Decode(std::string_view text);

}  // namespace tidyframe
