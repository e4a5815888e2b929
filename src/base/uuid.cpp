#include "base/uuid.h"

#include <array>
#include <cctype>
#include <cstdint>
#include <random>

namespace tidyframe {

namespace {
constexpr std::array<std::size_t, 4> hyphenPositions{8, 13, 18, 23};
constexpr char hexDigits[] = "0123456789ABCDEF";

bool isHyphenPosition(std::size_t index) {
  for (auto position : hyphenPositions) {
    if (index == position) return true;
  }
  return false;
}
}  // namespace

std::string makeUuid() {
  std::random_device source;
  std::array<std::uint8_t, 16> bytes{};
  for (std::size_t i = 0; i < bytes.size(); i += 4) {
    const std::uint32_t word = source();
    for (std::size_t j = 0; j < 4; ++j) bytes[i + j] = static_cast<std::uint8_t>(word >> (8 * j));
  }
  bytes[6] = static_cast<std::uint8_t>((bytes[6] & 0x0F) | 0x40);
  bytes[8] = static_cast<std::uint8_t>((bytes[8] & 0x3F) | 0x80);
  std::string text;
  text.reserve(36);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (isHyphenPosition(text.size())) text.push_back('-');
    text.push_back(hexDigits[bytes[i] >> 4]);
    text.push_back(hexDigits[bytes[i] & 0x0F]);
  }
  return text;
}

std::optional<std::string> canonicalUuid(std::string_view text) {
  if (text.size() != 36) return std::nullopt;
  std::string result(text);
  for (std::size_t i = 0; i < result.size(); ++i) {
    const auto c = static_cast<unsigned char>(result[i]);
    if (isHyphenPosition(i)) {
      if (c != '-') return std::nullopt;
      continue;
    }
    if (!std::isxdigit(c)) return std::nullopt;
    result[i] = static_cast<char>(std::toupper(c));
  }
  return result;
}

}  // namespace tidyframe
