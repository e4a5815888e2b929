#pragma once

#include <filesystem>
#include <limits>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "base/dispatch.h"
#include "platform/process_runner.h"

namespace tidyframe {

// launchd's per-user agents as seen through "launchctl": `print`, `bootout` and `bootstrap` in
// the user's GUI domain, answering with the statuses and texts the real tool uses. Bootstrap
// reads the agent file it is given and loads the job named by its "Label" key, so a hand-back
// only works when the file really is where the caller says. Any other program answers as a
// missing file does (status -1).
//
// A job can be made slow to stop (it stays loaded for a while of dispatch time after the
// bootout) or stuck (bootout times out and it stays loaded), and the next bootstrap of a label
// can be made to fail. Borrows the dispatch for its clock; posts no work. Safe from any thread.
class SimLaunchd final : public ProcessRunner {
 public:
  static constexpr double never = std::numeric_limits<double>::infinity();

  SimLaunchd(Dispatch& dispatch, unsigned userId, std::string launchctlPath = "/bin/launchctl");
  SimLaunchd(const SimLaunchd&) = delete;
  SimLaunchd& operator=(const SimLaunchd&) = delete;

  // Writes a plausible agent file for `label` at `path` (folders created as needed).
  static void writeAgentFile(const std::filesystem::path& path, const std::string& label);

  // Loads a job as the login session does from the user's LaunchAgents folder.
  void load(const std::string& label, const std::filesystem::path& agentPath);
  bool isLoaded(const std::string& label) const;
  // After a bootout, the job stays loaded for `seconds` of dispatch time; `never` makes the
  // bootout time out with the job still loaded.
  void setStopDelay(const std::string& label, double seconds);
  // The next bootstrap of `label` fails with this status and output; later ones succeed.
  void failNextBootstrap(const std::string& label, int status, std::string output);

  // The argument lists of every launchctl call, in order.
  std::vector<std::vector<std::string>> calls() const;
  // How many calls began with `verb`.
  std::size_t callCount(const std::string& verb) const;

  // Answers at once, so the time-out never passes.
  CommandResult command(const std::string& executable, const std::vector<std::string>& arguments,
                        double timeout) override;

 private:
  struct Job {
    std::filesystem::path agentPath;
    Date unloadsAt = Date{std::numeric_limits<double>::infinity()};
  };
  struct Failure {
    int status;
    std::string output;
  };

  CommandResult print(const std::vector<std::string>& arguments);
  CommandResult bootout(const std::vector<std::string>& arguments);
  CommandResult bootstrap(const std::vector<std::string>& arguments);
  // The label of a "gui/<uid>/<label>" target of this user, or nothing.
  std::optional<std::string> labelOfTarget(const std::string& target) const;
  const Job* loadedJob(const std::string& label) const;

  Dispatch& dispatch_;
  const unsigned userId_;
  const std::string launchctlPath_;
  mutable std::mutex lock_;
  std::map<std::string, Job> jobs_;
  std::map<std::string, double> stopDelays_;
  std::map<std::string, Failure> bootstrapFailures_;
  std::vector<std::vector<std::string>> calls_;
};

}  // namespace tidyframe
