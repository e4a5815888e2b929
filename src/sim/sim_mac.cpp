#include "sim/sim_mac.h"

#include <algorithm>

#include "sim/applescript/script_parser.h"

namespace tidyframe {

using applescript::AppleEvent;
using applescript::ScriptException;
using applescript::SpecStep;
using applescript::Value;

namespace {

bool matches(const SimMac::EventMatch& match, const AppleEvent& event) {
  if (match.application != event.target.application) return false;
  if (!match.verb.empty() && match.verb != event.verb) return false;
  return match.specifierContains.empty() ||
         applescript::describe(event.target).find(match.specifierContains) != std::string::npos;
}

// Reading the process's own name or frontmost state needs no accessibility; anything below it does.
bool touchesInterface(const AppleEvent& event) {
  if (event.verb != "get" && event.verb != "count" && event.verb != "exists") return event.verb != "activate";
  const auto& steps = event.target.steps;
  if (steps.size() < 2) return false;
  return !(steps.size() == 2 && steps[1].kind == SpecStep::Kind::property &&
           (steps[1].term == "name" || steps[1].term == "frontmost"));
}

}  // namespace

SimMac::SimMac(Dispatch& dispatch, DispatchQueue& world, SimInferredTimings timings)
    : dispatch_(dispatch), world_(world), timings_(timings), systemEventsLastEvent_(dispatch.now()) {
  finder_.setPreferenceLag(dispatch_, timings_.showAllFilesLag);
}

SimMac::~SimMac() = default;

std::expected<std::shared_ptr<const applescript::ScriptProgram>, applescript::ScriptError> SimMac::compile(
    std::string_view text) {
  ++scriptsCompiled_;
  return applescript::compileScript(text);
}

applescript::RunResult SimMac::run(const applescript::ScriptProgram& program) { return interpreter_.run(program); }

applescript::RunResult SimMac::run(std::string_view text) {
  auto program = compile(text);
  if (!program) return std::unexpected(program.error());
  return run(**program);
}

void SimMac::setAutomation(const std::string& application, AutomationConsent consent) {
  automation_[application] = consent;
}

AutomationConsent SimMac::automation(const std::string& application) const {
  auto it = automation_.find(application);
  return it == automation_.end() ? AutomationConsent::allowed : it->second;
}

void SimMac::slowEvent(EventMatch match, double seconds) { slow_.push_back({std::move(match), seconds}); }

void SimMac::busy(const std::string& application, double fromNow, double seconds) {
  Date from = dispatch_.now() + fromNow;
  busy_.push_back({application, from, from + seconds});
}

void SimMac::at(double secondsFromNow, std::function<void(SimFinder&)> change) {
  std::weak_ptr<SimMac*> self = self_;
  world_.asyncAfter(secondsFromNow, [self, change = std::move(change)] {
    if (auto alive = self.lock()) change((*alive)->finder_);
  });
}

bool SimMac::isRunning(const std::string& application) const {
  if (application == "Finder") return finder_.running();
  if (application == "System Events") return dispatch_.now() - systemEventsLastEvent_ < timings_.systemEventsIdleQuit;
  return false;
}

int SimMac::appleEvents(const std::string& application) const {
  auto it = appleEvents_.find(application);
  return it == appleEvents_.end() ? 0 : it->second;
}

int SimMac::appleEvents() const {
  int total = 0;
  for (const auto& [app, n] : appleEvents_) total += n;
  return total;
}

void SimMac::checkPermissions(const AppleEvent& event) {
  const std::string& app = event.target.application;
  auto consent = automation(app);
  if (consent == AutomationConsent::notAsked) {
    ++automationPrompts_;
    consent = promptAnswer_;
    automation_[app] = consent;
  }
  if (consent != AutomationConsent::allowed) {
    throw ScriptException(-1743, "Not authorized to send Apple events to " + app + ".");
  }
  if (app == "System Events" && !accessibilityTrusted_ && touchesInterface(event)) {
    throw ScriptException(-25211, "System Events got an error: osascript is not allowed assistive access.");
  }
}

double SimMac::latencyFor(const AppleEvent& event) {
  double latency = latency_;
  Date now = dispatch_.now();
  for (const auto& stretch : busy_) {
    if (stretch.application == event.target.application && now >= stretch.from && now < stretch.until) {
      latency = std::max(latency, (stretch.until - now) + latency_);
    }
  }
  auto slow = std::find_if(slow_.begin(), slow_.end(), [&](const auto& s) { return matches(s.match, event); });
  if (slow != slow_.end()) {
    latency = std::max(latency, slow->seconds);
    slow_.erase(slow);
  }
  return latency;
}

Value SimMac::send(const AppleEvent& event, double timeout) {
  const std::string& app = event.target.application;
  ++appleEvents_[app];
  // Any event launches System Events again, permitted or not.
  if (app == "System Events") systemEventsLastEvent_ = dispatch_.now();
  checkPermissions(event);
  double latency = latencyFor(event);
  if (latency > timeout) {
    std::weak_ptr<SimMac*> self = self_;
    world_.asyncAfter(latency, [self, event] {
      auto alive = self.lock();
      if (!alive) return;
      try {
        (*alive)->deliver(event);
      } catch (const ScriptException&) {
        // Nobody waits for this answer any more.
      }
    });
    dispatch_.wait(timeout);
    throw ScriptException(-1712, app + " got an error: AppleEvent timed out.");
  }
  if (latency > 0) dispatch_.wait(latency);
  return deliver(event);
}

Value SimMac::deliver(const AppleEvent& event) {
  const std::string& app = event.target.application;
  try {
    if (app == "Finder") return finderScripting_.handle(event);
    if (app == "System Events") return systemEvents_.handle(event);
    throw ScriptException(-600, "Application isn’t running.");
  } catch (const ScriptException& e) {
    if (e.error().message.starts_with(app + " got an error: ")) throw;
    throw ScriptException(e.error().number, app + " got an error: " + e.error().message);
  }
}

}  // namespace tidyframe
