#include "sim/sim_launchd.h"

#include <fstream>
#include <sstream>

namespace tidyframe {
namespace {

constexpr int usageStatus = 64;
constexpr int noSuchServiceStatus = 113;

CommandResult failed(int status, const std::string& verb, const std::string& reason) {
  return CommandResult{status, verb + " failed: " + std::to_string(status) + ": " + reason + "\n"};
}

std::optional<std::string> readFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// The text of the <string> that follows <key>Label</key>, as launchd reads it.
std::optional<std::string> labelOfAgent(const std::string& plist) {
  const std::string key = "<key>Label</key>";
  const auto keyAt = plist.find(key);
  if (keyAt == std::string::npos) return std::nullopt;
  const auto open = plist.find("<string>", keyAt + key.size());
  if (open == std::string::npos) return std::nullopt;
  const auto start = open + std::string_view("<string>").size();
  const auto close = plist.find("</string>", start);
  if (close == std::string::npos || close == start) return std::nullopt;
  return plist.substr(start, close - start);
}

}  // namespace

SimLaunchd::SimLaunchd(Dispatch& dispatch, unsigned userId, std::string launchctlPath)
    : dispatch_(dispatch), userId_(userId), launchctlPath_(std::move(launchctlPath)) {}

void SimLaunchd::writeAgentFile(const std::filesystem::path& path, const std::string& label) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary)
      << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
         "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
         "<plist version=\"1.0\">\n<dict>\n"
         "\t<key>Label</key>\n\t<string>" << label << "</string>\n"
         "\t<key>ProgramArguments</key>\n\t<array>\n\t\t<string>/usr/local/bin/plumbline</string>\n\t</array>\n"
         "\t<key>RunAtLoad</key>\n\t<true/>\n"
         "</dict>\n</plist>\n";
}

void SimLaunchd::load(const std::string& label, const std::filesystem::path& agentPath) {
  std::lock_guard guard(lock_);
  jobs_[label] = Job{agentPath};
}

bool SimLaunchd::isLoaded(const std::string& label) const {
  std::lock_guard guard(lock_);
  return loadedJob(label) != nullptr;
}

void SimLaunchd::setStopDelay(const std::string& label, double seconds) {
  std::lock_guard guard(lock_);
  stopDelays_[label] = seconds;
}

void SimLaunchd::failNextBootstrap(const std::string& label, int status, std::string output) {
  std::lock_guard guard(lock_);
  bootstrapFailures_[label] = Failure{status, std::move(output)};
}

std::vector<std::vector<std::string>> SimLaunchd::calls() const {
  std::lock_guard guard(lock_);
  return calls_;
}

std::size_t SimLaunchd::callCount(const std::string& verb) const {
  std::lock_guard guard(lock_);
  std::size_t count = 0;
  for (const auto& call : calls_) count += !call.empty() && call.front() == verb;
  return count;
}

CommandResult SimLaunchd::command(const std::string& executable, const std::vector<std::string>& arguments,
                                  double /*timeout*/) {
  if (executable != launchctlPath_) return CommandResult{-1, "No such file or directory"};
  std::lock_guard guard(lock_);
  calls_.push_back(arguments);
  const std::string verb = arguments.empty() ? "" : arguments.front();
  if (verb == "print") return print(arguments);
  if (verb == "bootout") return bootout(arguments);
  if (verb == "bootstrap") return bootstrap(arguments);
  return CommandResult{usageStatus, "Unrecognized subcommand: " + verb + "\n"};
}

CommandResult SimLaunchd::print(const std::vector<std::string>& arguments) {
  if (arguments.size() != 2) return CommandResult{usageStatus, "Usage: launchctl print <service-target>\n"};
  const auto label = labelOfTarget(arguments[1]);
  const Job* job = label ? loadedJob(*label) : nullptr;
  if (!job) {
    return CommandResult{noSuchServiceStatus, "Bad request.\nCould not find service \"" + label.value_or(arguments[1]) +
                                                  "\" in domain for user gui: " + std::to_string(userId_) + "\n"};
  }
  return CommandResult{0, arguments[1] + " = {\n\tactive count = 1\n\tpath = " + job->agentPath.string() +
                              "\n\tstate = running\n}\n"};
}

CommandResult SimLaunchd::bootout(const std::vector<std::string>& arguments) {
  if (arguments.size() != 2) return CommandResult{usageStatus, "Usage: launchctl bootout <service-target>\n"};
  const auto label = labelOfTarget(arguments[1]);
  if (!label || !loadedJob(*label)) return failed(3, "Boot-out", "No such process");
  const auto delay = stopDelays_.find(*label);
  const double seconds = delay == stopDelays_.end() ? 0 : delay->second;
  if (seconds == never) return failed(36, "Boot-out", "Operation now in progress");
  if (seconds <= 0) {
    jobs_.erase(*label);
    return CommandResult{0, ""};
  }
  Job& job = jobs_.at(*label);
  job.unloadsAt = std::min(job.unloadsAt, dispatch_.now() + seconds);
  return CommandResult{0, ""};
}

CommandResult SimLaunchd::bootstrap(const std::vector<std::string>& arguments) {
  if (arguments.size() != 3) return CommandResult{usageStatus, "Usage: launchctl bootstrap <domain-target> <path>\n"};
  if (arguments[1] != "gui/" + std::to_string(userId_)) return failed(125, "Bootstrap", "Domain does not support specified action");
  const std::filesystem::path path = arguments[2];
  const auto plist = readFile(path);
  if (!plist) return failed(2, "Bootstrap", "No such file or directory");
  const auto label = labelOfAgent(*plist);
  if (!label) return failed(22, "Bootstrap", "Invalid argument");
  if (const auto failure = bootstrapFailures_.find(*label); failure != bootstrapFailures_.end()) {
    CommandResult result{failure->second.status, failure->second.output};
    bootstrapFailures_.erase(failure);
    return result;
  }
  if (loadedJob(*label)) return failed(5, "Bootstrap", "Input/output error");
  jobs_[*label] = Job{path};
  return CommandResult{0, ""};
}

std::optional<std::string> SimLaunchd::labelOfTarget(const std::string& target) const {
  const std::string domain = "gui/" + std::to_string(userId_) + "/";
  if (!target.starts_with(domain) || target.size() == domain.size()) return std::nullopt;
  return target.substr(domain.size());
}

const SimLaunchd::Job* SimLaunchd::loadedJob(const std::string& label) const {
  const auto job = jobs_.find(label);
  if (job == jobs_.end() || dispatch_.now() >= job->second.unloadsAt) return nullptr;
  return &job->second;
}

}  // namespace tidyframe
