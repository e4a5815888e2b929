#include "i18n/l.h"

#include <unicode/numfmt.h>
#include <unicode/reldatefmt.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <cmath>
#include <optional>

#include "i18n/app_language.h"

namespace tidyframe {

namespace {

constexpr std::string_view sourceLanguage = "zh-Hans";

bool isFixedLanguage(std::string_view code) {
  const auto language = fromRaw<AppLanguage>(code);
  return language && *language != AppLanguage::system;
}

bool contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

// Chinese tags name their script or region; Taiwan, Hong Kong and Macau write Traditional
// Chinese unless the tag says Simplified.
std::string chineseVariant(std::string_view tag) {
  if (contains(tag, "Hans")) return "zh-Hans";
  for (std::string_view marker : {"Hant", "TW", "HK", "MO"}) {
    if (contains(tag, marker)) return "zh-Hant";
  }
  return "zh-Hans";
}

std::optional<std::string> languageFor(std::string_view tag) {
  if (tag.starts_with("zh")) return chineseVariant(tag);
  if (tag.starts_with("pt")) return "pt-BR";
  const auto base = tag.substr(0, tag.find('-'));
  if (isFixedLanguage(base)) return std::string(base);
  return std::nullopt;
}

std::string utf8(const icu::UnicodeString& text) {
  std::string result;
  text.toUTF8String(result);
  return result;
}

}  // namespace

std::string resolveLanguage(const std::vector<std::string>& preferred) {
  for (const auto& tag : preferred) {
    if (auto code = languageFor(tag)) return *code;
  }
  return "en";
}

std::string title(AppLanguage language, const L& l) {
  switch (language) {
    case AppLanguage::system: return l.t("跟随系统");
    case AppLanguage::en: return "English";
    case AppLanguage::zhHans: return "简体中文";
    case AppLanguage::zhHant: return "繁體中文";
    case AppLanguage::ja: return "日本語";
    case AppLanguage::ko: return "한국어";
    case AppLanguage::de: return "Deutsch";
    case AppLanguage::fr: return "Français";
    case AppLanguage::es: return "Español";
    case AppLanguage::ptBR: return "Português (Brasil)";
    case AppLanguage::it: return "Italiano";
    case AppLanguage::ru: return "Русский";
    case AppLanguage::ar: return "العربية";
    case AppLanguage::hi: return "हिन्दी";
  }
  return {};
}

L::L(std::vector<std::filesystem::path> tableRoots, std::shared_ptr<const PreferredLanguages> system)
    : tableRoots_(std::move(tableRoots)), system_(std::move(system)) {}

std::string L::language() const {
  std::lock_guard guard(lock_);
  return language_;
}

void L::setLanguage(std::string code) {
  std::lock_guard guard(lock_);
  language_ = std::move(code);
}

std::string L::resolved() const {
  const std::string chosen = language();
  if (isFixedLanguage(chosen)) return chosen;
  return resolveLanguage(system_ ? system_->preferredLanguages() : std::vector<std::string>{});
}

std::shared_ptr<const StringTable> L::bundle(const std::string& code) const {
  std::lock_guard guard(lock_);
  if (const auto cached = bundles_.find(code); cached != bundles_.end()) return cached->second;
  for (const auto& root : tableRoots_) {
    const auto file = root / (code + ".lproj") / "Localizable.strings";
    std::error_code error;
    if (!std::filesystem::exists(file, error)) continue;
    // A table that exists but does not parse stays failed: reading it again on every lookup
    // would not mend it.
    auto table = StringTable::load(file);
    auto shared = table ? std::make_shared<const StringTable>(std::move(*table)) : nullptr;
    bundles_.emplace(code, shared);
    return shared;
  }
  return nullptr;
}

std::string L::t(std::string_view source) const {
  const std::string code = resolved();
  if (const auto table = bundle(code)) {
    if (const auto* entry = table->find(source)) return *entry;
  }
  if (code == sourceLanguage) return std::string(source);
  if (const auto english = bundle("en")) {
    if (const auto* entry = english->find(source)) return *entry;
  }
  return std::string(source);
}

std::string L::fill(std::string_view format, std::initializer_list<std::string_view> arguments) {
  const std::vector<std::string_view> args(arguments);
  std::string out;
  std::size_t next = 0;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%' || i + 1 >= format.size()) {
      out += format[i];
      continue;
    }
    const auto rest = format.substr(i + 1);
    if (rest.starts_with('%')) {
      out += '%';
      i += 1;
    } else if (rest.starts_with('@') || rest.starts_with('d')) {
      if (next < args.size()) out += args[next];
      ++next;
      i += 1;
    } else if (rest.starts_with("ld")) {
      if (next < args.size()) out += args[next];
      ++next;
      i += 2;
    } else if (rest.size() >= 3 && rest[0] >= '1' && rest[0] <= '9' && rest.substr(1, 2) == "$@") {
      const auto index = static_cast<std::size_t>(rest[0] - '1');
      if (index < args.size()) out += args[index];
      i += 3;
    } else {
      out += '%';
    }
  }
  return out;
}

icu::Locale L::locale() const {
  const std::string code = resolved();
  // Arabic interfaces show Arabic-Indic digits, as the Mac does for this language.
  if (code == "ar") return icu::Locale("ar@numbers=arab");
  UErrorCode status = U_ZERO_ERROR;
  auto tagged = icu::Locale::forLanguageTag(code, status);
  return U_SUCCESS(status) ? tagged : icu::Locale::getRoot();
}

std::string L::number(std::int64_t value) const {
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::NumberFormat> formatter(icu::NumberFormat::createInstance(locale(), status));
  if (U_FAILURE(status) || !formatter) return std::to_string(value);
  icu::UnicodeString text;
  formatter->format(static_cast<int64_t>(value), text);
  return utf8(text);
}

std::string L::relativeTime(double seconds) const {
  struct Unit {
    double seconds;
    URelativeDateTimeUnit unit;
  };
  static constexpr Unit units[] = {{86400, UDAT_REL_UNIT_DAY}, {3600, UDAT_REL_UNIT_HOUR}, {60, UDAT_REL_UNIT_MINUTE}};
  UErrorCode status = U_ZERO_ERROR;
  icu::RelativeDateTimeFormatter formatter(locale(), nullptr, UDAT_STYLE_SHORT, UDISPCTX_CAPITALIZATION_FOR_STANDALONE,
                                           status);
  icu::UnicodeString text;
  const auto unit = std::ranges::find_if(units, [seconds](const Unit& u) { return seconds >= u.seconds; });
  if (unit == std::end(units)) {
    formatter.format(UDAT_DIRECTION_PLAIN, UDAT_ABSOLUTE_NOW, text, status);
  } else {
    formatter.formatNumeric(-std::floor(seconds / unit->seconds), unit->unit, text, status);
  }
  return U_SUCCESS(status) ? utf8(text) : std::string();
}

LayoutDirection L::direction() const {
  return resolved() == "ar" ? LayoutDirection::rightToLeft : LayoutDirection::leftToRight;
}

}  // namespace tidyframe
