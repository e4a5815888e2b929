#include "base/base64.h"

#include <array>

namespace tidyframe {

namespace {
constexpr char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr std::array<int, 256> makeDecodeTable() {
  std::array<int, 256> table{};
  table.fill(-1);
  for (int i = 0; i < 64; ++i) table[static_cast<unsigned char>(alphabet[i])] = i;
  return table;
}
constexpr auto decodeTable = makeDecodeTable();
}  // namespace

std::string base64Encode(const Bytes& bytes) {
  std::string text;
  text.reserve((bytes.size() + 2) / 3 * 4);
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::size_t count = std::min<std::size_t>(3, bytes.size() - i);
    std::uint32_t group = static_cast<std::uint32_t>(bytes[i]) << 16;
    if (count > 1) group |= static_cast<std::uint32_t>(bytes[i + 1]) << 8;
    if (count > 2) group |= bytes[i + 2];
    for (std::size_t j = 0; j < 4; ++j) {
      text += j <= count ? alphabet[(group >> (18 - 6 * j)) & 0x3F] : '=';
    }
  }
  return text;
}

std::optional<Bytes> base64Decode(std::string_view text) {
  if (text.size() % 4 != 0) return std::nullopt;
  Bytes bytes;
  bytes.reserve(text.size() / 4 * 3);
  for (std::size_t i = 0; i < text.size(); i += 4) {
    const bool last = i + 4 == text.size();
    std::uint32_t group = 0;
    int padding = 0;
    for (std::size_t j = 0; j < 4; ++j) {
      const char c = text[i + j];
      if (c == '=' && last && j >= 2) {
        ++padding;
        group <<= 6;
        continue;
      }
      const int value = decodeTable[static_cast<unsigned char>(c)];
      if (value < 0 || padding > 0) return std::nullopt;
      group = (group << 6) | static_cast<std::uint32_t>(value);
    }
    // Padding stands for zero bits; "QR==" must not decode as "QQ==" does.
    const std::uint32_t unusedBits = padding == 2 ? 0xFFFF : padding == 1 ? 0xFF : 0;
    if ((group & unusedBits) != 0) return std::nullopt;
    bytes.push_back(static_cast<std::uint8_t>(group >> 16));
    if (padding < 2) bytes.push_back(static_cast<std::uint8_t>(group >> 8));
    if (padding < 1) bytes.push_back(static_cast<std::uint8_t>(group));
  }
  return bytes;
}

}  // namespace tidyframe
