#pragma once

#include "platform/preferred_languages.h"

namespace tidyframe {

// The user's languages as a Linux desktop states them: the locale variables of the process.
class EnvironmentLanguages final : public PreferredLanguages {
 public:
  std::vector<std::string> preferredLanguages() const override;
};

}  // namespace tidyframe
