#include "app/environment_languages.h"

#include <cstdlib>

#include "i18n/locale_environment.h"

namespace tidyframe {

std::vector<std::string> EnvironmentLanguages::preferredLanguages() const {
  return languagesFromLocaleEnvironment([](const char* name) -> std::optional<std::string> {
    const char* value = std::getenv(name);
    if (!value) return std::nullopt;
    return std::string(value);
  });
}

}  // namespace tidyframe
