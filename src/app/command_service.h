#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "command/command_runner.h"

namespace tidyframe {

class AppModel;
class PersistenceWriter;
class Storage;

// The subcommands' changes carried out by the running engine, so the panel shows them at
// once and every save goes through the one writer. Each change is the panel's own command;
// one made while the rule editor is open leaves the editor open. Borrows the engine. Main
// queue.
class EngineCommandBackend final : public CommandBackend {
 public:
  explicit EngineCommandBackend(AppModel& model) : model_(model) {}

  Preferences preferences() override;
  std::vector<ActivityEntry> activities() override;
  std::vector<MountedVolume> volumes() override;
  std::optional<RunningState> running() override;

  Outcome saveRule(const LocationRule& rule) override;
  Outcome deleteRule(const std::string& id) override;
  Outcome importPreferences(const Preferences& imported) override;
  Outcome setEngineEnabled(bool enabled) override;

 private:
  AppModel& model_;
};

// Answers one request line of the channel: decodes it (a request that does not decode gets an
// error answer and changes nothing), carries it out through `model` and calls `reply` with the
// answer line once the writer has written every save the request made. A change whose
// settings did not reach the disk is answered as failed. `reply` may run after this returns;
// the engine is held weakly meanwhile, and the writer and storage must outlive it. Main queue.
void serveCommand(std::string_view line, AppModel& model, PersistenceWriter& writer, const Storage& storage,
                  std::function<void(std::string answer)> reply);

}  // namespace tidyframe
