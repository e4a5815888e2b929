#include "app/command_service.h"

#include "base/dispatch.h"
#include "engine/app_model.h"
#include "model/settings_document.h"
#include "storage/persistence_writer.h"

namespace tidyframe {

Preferences EngineCommandBackend::preferences() { return model_.preferences().get(); }
std::vector<ActivityEntry> EngineCommandBackend::activities() { return model_.activities().get(); }
std::vector<MountedVolume> EngineCommandBackend::volumes() { return model_.volumes().get(); }

std::optional<RunningState> EngineCommandBackend::running() {
  return RunningState{model_.accessibilityGranted().get(), model_.automationGranted().get(),
                      model_.legacyRunning().get(), model_.currentPath().get()};
}

// Saving closes the editor, which the person at the panel may be using for another rule.
CommandBackend::Outcome EngineCommandBackend::saveRule(const LocationRule& rule) {
  auto editing = model_.ruleEditor().get();
  model_.saveRule(rule);
  if (editing && editing->id != rule.id) model_.setRuleEditor(std::move(editing));
  return {};
}

CommandBackend::Outcome EngineCommandBackend::deleteRule(const std::string& id) {
  model_.deleteRule(id);
  return {};
}

CommandBackend::Outcome EngineCommandBackend::importPreferences(const Preferences& imported) {
  return model_.replacePreferences(imported);
}

CommandBackend::Outcome EngineCommandBackend::setEngineEnabled(bool enabled) {
  if (enabled) model_.enableEngine(false);
  else model_.pause();
  return {};
}

namespace {

bool changesSettings(Subcommand command) {
  switch (command) {
    case Subcommand::status:
    case Subcommand::rulesList:
    case Subcommand::rulesExplain:
    case Subcommand::rulesExport:
    case Subcommand::activity: return false;
    default: return true;
  }
}

void carryOut(const CommandRequest& request, AppModel& model, PersistenceWriter& writer, const Storage& storage,
              std::function<void(std::string answer)> reply) {
  EngineCommandBackend backend(model);
  auto answer = runCommand(request, backend);
  std::optional<Preferences> changed;
  if (answer.status == 0 && changesSettings(request.command)) changed = model.preferences().get();
  std::weak_ptr<AppModel> weak = model.weak_from_this();
  // A later request may have changed the settings again meanwhile; its own save then carries
  // this change too, and its own answer says whether that save was written.
  writer.flush([weak, changed = std::move(changed), answer = std::move(answer), reply = std::move(reply),
                location = storage.preferencesURL()]() mutable {
    const auto self = weak.lock();
    if (changed && self && self->preferences().get() == *changed && Storage::read<Preferences>(location) != changed) {
      answer = CommandAnswer{1, {}, "tidyframe: the settings could not be saved: " + self->message().get().value_or("") + "\n"};
    }
    reply(CommandMessages::encode(answer));
  });
}

}  // namespace

void serveCommand(const CommandServices& services, std::string line, std::function<void(std::string answer)> reply,
                  std::function<bool()> waiting) {
  auto request = CommandMessages::decodeRequest(line);
  if (!request) {
    reply(CommandMessages::encode(CommandAnswer{1, {}, "tidyframe: the application refused the request: " + request.error() + "\n"}));
    return;
  }
  std::weak_ptr<AppModel> weak = services.model.weak_from_this();
  services.dispatch.main().async([weak, &writer = services.writer, &storage = services.storage, request = std::move(*request),
                                  reply = std::move(reply), waiting = std::move(waiting)]() mutable {
    const auto model = weak.lock();
    if (model && waiting()) carryOut(request, *model, writer, storage, std::move(reply));
  });
}

}  // namespace tidyframe
