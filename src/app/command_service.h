#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "command/command_runner.h"

namespace tidyframe {

class AppModel;
class Dispatch;
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

// What carries the channel's requests out in the running application; borrowed, all must
// outlive the requests in flight.
struct CommandServices {
  Dispatch& dispatch;
  AppModel& model;
  PersistenceWriter& writer;
  const Storage& storage;
};

// Answers one request line of the channel: decodes it (a request that does not decode gets an
// error answer at once and changes nothing), then carries it out through the engine as a
// main-queue task, so never in the middle of another one that shows a modal dialog, and calls
// `reply` with the answer line once the writer has written every save it made. A request whose
// sender stopped `waiting` meanwhile is dropped unanswered; a change whose settings did not
// reach the disk is answered as failed. Main queue.
void serveCommand(const CommandServices& services, std::string line, std::function<void(std::string answer)> reply,
                  std::function<bool()> waiting);

}  // namespace tidyframe
