#include "i18n/locale_environment.h"

#include <algorithm>
#include <ranges>
#include <string_view>

namespace tidyframe {

namespace {

// "de_DE.UTF-8@euro" -> "de-DE"; nothing for the neutral locales.
std::optional<std::string> languageTag(std::string_view value) {
  value = value.substr(0, value.find_first_of(".@"));
  if (value.empty() || value == "C" || value == "POSIX") return std::nullopt;
  std::string tag(value);
  std::ranges::replace(tag, '_', '-');
  return tag;
}

void addUnique(std::vector<std::string>& tags, std::optional<std::string> tag) {
  if (tag && std::ranges::find(tags, *tag) == tags.end()) tags.push_back(std::move(*tag));
}

}  // namespace

std::vector<std::string> languagesFromLocaleEnvironment(const EnvironmentLookup& lookup) {
  std::vector<std::string> tags;
  if (const auto list = lookup("LANGUAGE")) {
    for (const auto part : std::views::split(std::string_view(*list), ':')) {
      addUnique(tags, languageTag(std::string_view(part.begin(), part.end())));
    }
  }
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const auto value = lookup(name);
    if (!value || value->empty()) continue;
    addUnique(tags, languageTag(*value));
    break;
  }
  return tags;
}

}  // namespace tidyframe
