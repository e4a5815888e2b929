#pragma once

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/apple_script_host.h"
#include "platform/system_log.h"
#include "platform/volume_catalog.h"

namespace tidyframe::test_support {

using ScriptOutcome = std::expected<ScriptReply, ScriptError>;

inline ScriptReply replyOf(std::vector<std::string> texts) {
  std::vector<ScriptReplyItem> items;
  for (auto& text : texts) items.push_back({std::move(text), std::nullopt});
  return ScriptReply(std::move(items));
}

// A scripting host whose scripts answer what the test says, counting how many script objects
// were made.
class FakeScriptHost final : public AppleScriptHost {
 public:
  std::map<std::string, ScriptOutcome, std::less<>> outcomes;
  bool refuseCreation = false;
  int created = 0;

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
      const auto found = host_.outcomes.find(source_);
      return found == host_.outcomes.end() ? ScriptOutcome(replyOf({"ok"})) : found->second;
    }
    std::expected<void, ScriptError> compileOnly() override { return {}; }

   private:
    FakeScriptHost& host_;
    std::string source_;
  };
};

class RecordingLog final : public SystemLog {
 public:
  std::vector<std::string> lines;
  void error(std::string_view line) override { lines.emplace_back(line); }
};

// Mounted volumes in the system's order, and file-system items by path; anything else cannot
// be read.
class FakeCatalog final : public VolumeCatalog {
 public:
  std::vector<std::pair<std::string, std::optional<VolumeResourceValues>>> mounted;
  std::map<std::string, FileResourceValues> items;

  std::vector<std::string> mountedVolumePaths() override {
    std::vector<std::string> paths;
    for (const auto& volume : mounted) paths.push_back(volume.first);
    return paths;
  }
  std::optional<VolumeResourceValues> volumeValues(const std::string& path) override {
    const auto found = std::ranges::find(mounted, path, &decltype(mounted)::value_type::first);
    return found == mounted.end() ? std::nullopt : found->second;
  }
  std::optional<FileResourceValues> fileValues(const std::string& path) override {
    const auto found = items.find(path);
    return found == items.end() ? std::nullopt : std::optional(found->second);
  }
};

}  // namespace tidyframe::test_support
