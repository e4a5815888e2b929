#include "finder/finder_location.h"

#include <algorithm>
#include <vector>

#include "base/unicode.h"
#include "platform/apple_script_host.h"
#include "platform/volume_catalog.h"

namespace tidyframe {

namespace {

constexpr std::string_view hexDigits = "0123456789ABCDEF";

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    const char c = text[i] >= 'A' && text[i] <= 'Z' ? static_cast<char>(text[i] - 'A' + 'a') : text[i];
    if (c != prefix[i]) return false;
  }
  return true;
}

// Characters a URL may carry unencoded; anything else (a space, a control character) means
// the text is not a URL.
bool isURLCharacter(unsigned char c) { return c > 0x20 && c != 0x7F; }

std::optional<std::string> percentDecoded(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return std::nullopt;
    const int high = hexValue(text[i + 1]);
    const int low = hexValue(text[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    out += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return out;
}

// "/a/./b/../c/" as "/a/c": the path of the standardised URL, which never climbs above "/".
// Empty components go too, as the file system reads "//" as "/".
std::string standardized(std::string_view path) {
  std::vector<std::string_view> parts;
  std::size_t at = 1;
  while (at <= path.size()) {
    const auto slash = path.find('/', at);
    const auto end = slash == std::string_view::npos ? path.size() : slash;
    const auto part = path.substr(at, end - at);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (part != "." && !part.empty()) {
      parts.push_back(part);
    }
    at = end + 1;
  }
  std::string out;
  for (auto part : parts) out.append("/").append(part);
  return out.empty() ? "/" : out;
}

// Foundation's allowed characters of a URL path, besides letters and digits. ";" is left out:
// Foundation writes it as "%3B" (inferred from its path character set, not yet seen on a Mac).
bool leftUnencoded(unsigned char c) {
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
  return std::string_view("-._~!$&'()*+,=:@/").find(static_cast<char>(c)) != std::string_view::npos;
}

}  // namespace

std::optional<std::string> filePath(std::string_view url) {
  constexpr std::string_view scheme = "file://";
  if (!startsWithIgnoringCase(url, scheme)) return std::nullopt;
  if (std::ranges::any_of(url, [](char c) { return !isURLCharacter(static_cast<unsigned char>(c)); })) {
    return std::nullopt;
  }
  auto rest = url.substr(scheme.size());
  rest = rest.substr(0, rest.find_first_of("?#"));
  const auto slash = rest.find('/');
  if (slash == std::string_view::npos) return std::nullopt;
  const auto host = rest.substr(0, slash);
  if (!host.empty() && !(host.size() == 9 && startsWithIgnoringCase(host, "localhost"))) return std::nullopt;
  auto decoded = percentDecoded(rest.substr(slash));
  if (!decoded || !unicode::isValidUtf8(*decoded) || decoded->find('\0') != std::string::npos) return std::nullopt;
  return standardized(*decoded);
}

std::optional<std::string> folderURL(std::string_view path) {
  if (path.empty() || path.front() != '/' || path.find('\0') != std::string_view::npos) return std::nullopt;
  std::string out = "file://";
  out.reserve(out.size() + path.size() + 1);
  for (char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    if (leftUnencoded(byte)) {
      out += c;
      continue;
    }
    out += '%';
    out += hexDigits[byte >> 4];
    out += hexDigits[byte & 0x0F];
  }
  if (out.back() != '/') out += '/';
  return out;
}

std::optional<FinderLocation> FinderLocation::inspect(const ScriptReply& reply, VolumeCatalog& volumes) {
  if (reply.count() < 2) return std::nullopt;
  auto url = reply.text(1);
  if (!url) return std::nullopt;
  auto path = filePath(*url);
  if (!path) return std::nullopt;
  auto windowID = reply.text(2);
  if (!windowID) return std::nullopt;
  const auto values = volumes.fileValues(*path);
  if (!values || !values->isDirectory || values->isPackage) return std::nullopt;
  return FinderLocation{.urlString = std::move(*url),
                        .path = std::move(*path),
                        .windowID = std::move(*windowID),
                        .view = reply.text(3).value_or(""),
                        .volumeID = values->volumeUUID,
                        .isExternal = values->volumeIsInternal == false};
}

}  // namespace tidyframe
