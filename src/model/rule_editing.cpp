#include "model/rule_editing.h"

#include <algorithm>
#include <cstdint>

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include "i18n/l.h"
#include "model/rule_resolver.h"

namespace tidyframe::RuleEditing {

namespace {

bool isSpace(UChar32 c) { return c >= 0 && u_isUWhiteSpace(c); }

// One walk from the front: the text from the first scalar that is not white space to the end
// of the last one.
std::string_view trimmed(std::string_view text) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  const auto length = static_cast<std::int32_t>(text.size());
  std::int32_t begin = -1;
  std::int32_t end = 0;
  for (std::int32_t at = 0; at < length;) {
    const std::int32_t start = at;
    UChar32 c = 0;
    U8_NEXT(bytes, at, length, c);
    if (isSpace(c)) continue;
    if (begin < 0) begin = start;
    end = at;
  }
  if (begin < 0) return {};
  return text.substr(static_cast<std::size_t>(begin), static_cast<std::size_t>(end - begin));
}

}  // namespace

const LocationRule* folderRule(const std::vector<LocationRule>& rules, std::string_view path) {
  const auto wanted = RuleResolver::normalized(path);
  const auto found = std::ranges::find_if(rules, [&](const LocationRule& rule) {
    return rule.scope == RuleScope::folder && RuleResolver::normalized(rule.path) == wanted;
  });
  return found == rules.end() ? nullptr : &*found;
}

const LocationRule* deviceRule(const std::vector<LocationRule>& rules, const MountedVolume& volume) {
  const auto found = std::ranges::find_if(
      rules, [&](const LocationRule& rule) { return RuleResolver::matchesDevice(rule, volume.uuid, volume.path); });
  return found == rules.end() ? nullptr : &*found;
}

std::string storedName(std::string_view name, std::string_view path) {
  const auto kept = trimmed(name);
  return kept.empty() ? lastPathComponent(path) : std::string(kept);
}

void put(std::vector<LocationRule>& rules, LocationRule rule) {
  const auto found = std::ranges::find(rules, rule.id, &LocationRule::id);
  if (found == rules.end()) {
    rules.push_back(std::move(rule));
  } else {
    *found = std::move(rule);
  }
}

std::string savedDetail(const LocationRule& rule, const L& l) {
  return rule.name + " · " + (rule.excluded ? l.t("保持原有设置") : title(rule.grouping, l));
}

}  // namespace tidyframe::RuleEditing
