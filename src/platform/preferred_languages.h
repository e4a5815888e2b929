#pragma once

#include <string>
#include <vector>

namespace tidyframe {

// The user's preferred interface languages as language tags ("de-DE", "zh-Hant-TW"), most
// preferred first. May be called from any thread.
class PreferredLanguages {
 public:
  virtual ~PreferredLanguages() = default;
  virtual std::vector<std::string> preferredLanguages() const = 0;
};

}  // namespace tidyframe
