#pragma once

#include <array>
#include <string>
#include <string_view>
#include <utility>

#include "base/raw_enum.h"

namespace tidyframe {

class L;

// The interface language the user picked: follow the system, or one of 13 fixed languages.
enum class AppLanguage { system, en, zhHans, zhHant, ja, ko, de, fr, es, ptBR, it, ru, ar, hi };

template <>
struct RawCases<AppLanguage> {
  static constexpr std::array<std::pair<AppLanguage, std::string_view>, 14> cases{{
      {AppLanguage::system, "system"},
      {AppLanguage::en, "en"},
      {AppLanguage::zhHans, "zh-Hans"},
      {AppLanguage::zhHant, "zh-Hant"},
      {AppLanguage::ja, "ja"},
      {AppLanguage::ko, "ko"},
      {AppLanguage::de, "de"},
      {AppLanguage::fr, "fr"},
      {AppLanguage::es, "es"},
      {AppLanguage::ptBR, "pt-BR"},
      {AppLanguage::it, "it"},
      {AppLanguage::ru, "ru"},
      {AppLanguage::ar, "ar"},
      {AppLanguage::hi, "hi"},
  }};
};

// What the language picker shows: each language named in itself, "follow the system" in the
// interface language.
std::string title(AppLanguage language, const L& l);

}  // namespace tidyframe
