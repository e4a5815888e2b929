#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/apple_script_host.h"
#include "platform/system_log.h"

namespace tidyframe::testing {

using ScriptOutcome = std::expected<ScriptReply, ScriptError>;

inline ScriptReply replyOf(std::vector<std::string> texts) {
  std::vector<ScriptReplyItem> items;
  for (auto& text : texts) items.push_back({std::move(text), std::nullopt});
  return ScriptReply(std::move(items));
}

// A scripting host whose scripts answer what the test says, counting how many script objects
// were made and how often each text was compiled and run.
class FakeScriptHost final : public AppleScriptHost {
 public:
  std::map<std::string, ScriptOutcome, std::less<>> outcomes;
  bool refuseCreation = false;
  int created = 0;
  int compiled = 0;
  std::vector<std::string> executed;

  std::unique_ptr<CompiledScript> compile(std::string_view source) override {
    if (refuseCreation) return nullptr;
    ++created;
    return std::make_unique<Script>(*this, std::string(source));
  }

 private:
  class Script final : public CompiledScript {
   public:
    Script(FakeScriptHost& host, std::string source) : host_(host), source_(std::move(source)) {}
    ScriptOutcome execute() override {
      if (!compiled_) ++host_.compiled;
      compiled_ = true;
      host_.executed.push_back(source_);
      const auto found = host_.outcomes.find(source_);
      return found == host_.outcomes.end() ? ScriptOutcome(replyOf({"ok"})) : found->second;
    }

   private:
    FakeScriptHost& host_;
    std::string source_;
    bool compiled_ = false;
  };
};

class RecordingLog final : public SystemLog {
 public:
  std::vector<std::string> lines;
  void error(std::string_view line) override { lines.emplace_back(line); }
};

}  // namespace tidyframe::testing
