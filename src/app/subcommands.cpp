#include "app/subcommands.h"

#include <chrono>
#include <thread>

#include "app/environment_languages.h"
#include "app/simulated_finder_state.h"
#include "base/virtual_dispatch.h"
#include "command/command_channel.h"
#include "command/storage_lock.h"
#include "command/subcommand_line.h"
#include "i18n/l.h"
#include "sim/sim_home.h"

namespace tidyframe {

namespace {

constexpr std::chrono::milliseconds lockPoll{20};

int print(const CommandAnswer& answer, std::ostream& out, std::ostream& err) {
  out << answer.output << std::flush;
  err << answer.error << std::flush;
  return answer.status;
}

int failed(std::ostream& err, const std::string& why) {
  err << "tidyframe: " << why << std::endl;
  return 1;
}

CommandAnswer runOnStorage(const CommandRequest& request, const SubcommandPlace& place) {
  L l(place.tableRoots, std::make_shared<EnvironmentLanguages>());
  const auto now = Date::fromUnixTime(
      std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count());
  const Storage storage(place.storageFolder);
  StorageCommandBackend backend(storage, l, now, place.volumes);
  return runCommand(request, backend);
}

bool readsOnly(Subcommand command) {
  return command == Subcommand::status || command == Subcommand::rulesList || command == Subcommand::rulesExplain ||
         command == Subcommand::rulesExport || command == Subcommand::activity;
}

// The application when it answers; else the storage folder once its lock is free.
int carryOut(const CommandRequest& request, const SubcommandPlace& place, std::ostream& out, std::ostream& err) {
  const auto socket = CommandChannel::socketPath(place.runtimeFolder, place.storageFolder);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(lockWaitSeconds);
  for (;;) {
    if (socket) {
      const auto answer = CommandChannel::ask(*socket, request);
      if (answer) return print(*answer, out, err);
      if (answer.error().failure == CommandChannel::Failure::noAnswer) {
        return failed(err, "Tidyframe gave no answer (" + answer.error().description + "); see 'tidyframe activity'");
      }
    }
    // A folder no application ever used has nothing to read, and reading makes none.
    if (readsOnly(request.command) && !Storage::exists(place.storageFolder)) return print(runOnStorage(request, place), out, err);
    const auto lock = StorageLock::tryAcquire(place.storageFolder);
    if (lock) return print(runOnStorage(request, place), out, err);
    if (lock.error().failure == StorageLock::Failure::unusable) {
      return failed(err, "cannot use the storage folder " + place.storageFolder.string() + ": " + lock.error().description);
    }
    if (std::chrono::steady_clock::now() > deadline) {
      return failed(err, "another Tidyframe process holds " + place.storageFolder.string() + " and does not answer");
    }
    std::this_thread::sleep_for(lockPoll);
  }
}

}  // namespace

int runSubcommand(std::span<const std::string_view> arguments, const SubcommandPlace& place, std::ostream& out,
                  std::ostream& err) {
  const auto parsed = SubcommandLine::parse(arguments, place.workingFolder);
  if (!parsed) {
    err << "tidyframe: " << parsed.error() << "\n" << "Run 'tidyframe --help' for the commands." << std::endl;
    return 2;
  }
  switch (parsed->kind) {
    case SubcommandLine::Parsed::Kind::help: out << SubcommandLine::usage(); return 0;
    case SubcommandLine::Parsed::Kind::completions: out << SubcommandLine::completions(parsed->shell); return 0;
    case SubcommandLine::Parsed::Kind::request: return carryOut(parsed->request, place, out, err);
  }
  return 2;
}

std::vector<MountedVolume> simulatedVolumes(const std::filesystem::path& storageFolder) {
  // Only the volumes are read here, so the dates their items are made with do not matter.
  const VirtualDispatch clock;
  SimVolumeCatalog volumes(clock);
  SimHome::furnish(volumes);
  const auto state = Storage::readJson(storageFolder / SimulatedFinderState::fileName);
  const auto card = state && state->is_object() ? state->value("card", Json()) : Json(SimHome::card);
  if (card.is_string()) SimHome::insertCard(volumes, card.get<std::string>());
  return MountedVolume::discover(volumes, icu::Locale::getRoot());
}

}  // namespace tidyframe
