#include <algorithm>
#include <string>

#include "app/self_check.h"
#include "i18n/app_language.h"
#include "i18n/l.h"

namespace tidyframe {

namespace {

std::size_t placeholderCount(std::string_view text) {
  std::size_t count = 0;
  for (auto at = text.find("%@"); at != std::string_view::npos; at = text.find("%@", at + 2)) ++count;
  return count;
}

// The rules every shipped table holds itself to: it loads, has exactly the English keys,
// keeps every "%@", and selecting its language shows it in the right direction.
std::string checkTable(const std::vector<std::filesystem::path>& roots, std::string_view code) {
  L l(roots, nullptr);
  const auto english = l.bundle("en");
  if (!english) return "the English table is missing";
  const auto table = l.bundle(std::string(code));
  if (!table) return "the table is missing or unreadable";
  if (table->entries().size() != english->entries().size()) return "its keys differ from the English ones";
  for (const auto& [key, value] : english->entries()) {
    const auto* entry = table->find(key);
    if (!entry) return "no entry for \"" + key + "\"";
    if (placeholderCount(*entry) != placeholderCount(value)) return "\"%@\" count differs for \"" + key + "\"";
  }
  l.setLanguage(std::string(code));
  if (l.resolved() != code) return "selecting it resolves to " + l.resolved();
  if (l.t("全局默认") != *table->find("全局默认")) return "the lookup does not answer its own entry";
  const bool rightToLeft = l.direction() == LayoutDirection::rightToLeft;
  if (rightToLeft != (code == "ar")) return "wrong layout direction";
  return {};
}

}  // namespace

std::vector<SelfCheck> localeChecks(const std::vector<std::filesystem::path>& roots) {
  std::vector<SelfCheck> checks;
  for (const auto& [language, code] : allCasesWithRaw<AppLanguage>()) {
    if (language == AppLanguage::system) continue;
    checks.push_back({"locales: " + std::string(code) + " table", [roots, code] { return checkTable(roots, code); }});
  }
  return checks;
}

}  // namespace tidyframe
