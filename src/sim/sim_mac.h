#pragma once

#include <expected>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/dispatch.h"
#include "sim/applescript/apple_event.h"
#include "sim/applescript/script_interpreter.h"
#include "sim/applescript/script_syntax.h"
#include "sim/finder_scripting.h"
#include "sim/sim_finder.h"
#include "sim/system_events_scripting.h"

namespace tidyframe {

enum class AutomationConsent { allowed, refused, notAsked };

// What a Mac does where the notes say nothing and nobody has watched one yet: inferred, not
// observed, and gathered here so that a person with a Mac can correct it in one place.
struct SimInferredTimings {
  // System Events quits after this many seconds without an Apple event and is launched again
  // by the next one; meanwhile the permission query finds no process (-600).
  double systemEventsIdleQuit = 180;
  // The Finder writes its "show all files" preference up to this many seconds after the key
  // press that changed its windows.
  double showAllFilesLag = 1;
};

// The simulated Mac as scripts meet it: the Finder and System Events, the permissions that guard
// them, how long they take to answer, and counters of what scripts did. It is the interpreter's
// Apple-event target: every event is counted, checked against the permissions, delayed by the
// injected latency on the dispatch clock (never a sleep) and handed to the application.
//
// An event slower than the time-out in force raises -1712 when the time-out expires; the
// application still handles it when its latency has passed, on the `world` queue, as a Mac's
// Finder acts on a click that AppleScript stopped waiting for.
//
// Borrows the dispatch and the world queue. Confined to the queue that runs scripts; in virtual
// time the world queue should be another queue so that world events can land inside a script's
// waits, in real time the same queue, so that the Finder model is never touched concurrently.
class SimMac final : public applescript::AppleEventTarget {
 public:
  struct EventMatch {
    std::string application;        // "Finder" or "System Events"
    std::string verb;               // empty: any verb
    std::string specifierContains;  // empty: any target
  };

  SimMac(Dispatch& dispatch, DispatchQueue& world, SimInferredTimings timings = {});
  ~SimMac() override;
  SimMac(const SimMac&) = delete;
  SimMac& operator=(const SimMac&) = delete;

  SimFinder& finder() { return finder_; }
  const SimFinder& finder() const { return finder_; }

  // Scripting. Every compile counts, whether it succeeds or not.
  std::expected<std::shared_ptr<const applescript::ScriptProgram>, applescript::ScriptError> compile(
      std::string_view text);
  applescript::RunResult run(const applescript::ScriptProgram& program);
  // Compiles and runs; a text that does not compile fails with its compile error.
  applescript::RunResult run(std::string_view text);

  applescript::Value send(const applescript::AppleEvent& event, double timeout) override;

  // Permissions. Without accessibility, System Events refuses every UI element and every
  // keyboard or click command (-25211). A target the user refused answers -1743; one not yet
  // asked about prompts once and then behaves as the answer given to prompts.
  void setAccessibilityTrusted(bool trusted) { accessibilityTrusted_ = trusted; }
  bool accessibilityTrusted() const { return accessibilityTrusted_; }
  void setAutomation(const std::string& application, AutomationConsent consent);
  AutomationConsent automation(const std::string& application) const;
  void answerPromptsWith(AutomationConsent consent) { promptAnswer_ = consent; }
  int automationPrompts() const { return automationPrompts_; }
  // Whether the application has a process now: the Finder unless it quit, System Events while
  // events keep it from quitting.
  bool isRunning(const std::string& application) const;

  // Faults. The latency every event takes (0 unless set); the next event that matches answers
  // after `seconds`; every event an application receives during a stretch answers when the
  // stretch ends; a change of the world at a given moment.
  void setEventLatency(double seconds) { latency_ = seconds; }
  void slowEvent(EventMatch match, double seconds);
  void busy(const std::string& application, double fromNow, double seconds);
  void at(double secondsFromNow, std::function<void(SimFinder&)> change);

  // Counters.
  int appleEvents(const std::string& application) const;
  int appleEvents() const;
  int scriptsCompiled() const { return scriptsCompiled_; }
  int menuClicks() const { return static_cast<int>(finder_.menuClicks().size()); }
  int keyPresses() const { return static_cast<int>(finder_.keyPresses().size()); }

 private:
  struct SlowEvent {
    EventMatch match;
    double seconds;
  };
  struct BusyStretch {
    std::string application;
    Date from;
    Date until;
  };

  void checkPermissions(const applescript::AppleEvent& event);
  double latencyFor(const applescript::AppleEvent& event);
  applescript::Value deliver(const applescript::AppleEvent& event);

  Dispatch& dispatch_;
  DispatchQueue& world_;
  const SimInferredTimings timings_;
  Date systemEventsLastEvent_;
  SimFinder finder_;
  FinderScripting finderScripting_{finder_};
  SystemEventsScripting systemEvents_{finder_};
  applescript::ScriptInterpreter interpreter_{*this, dispatch_};
  bool accessibilityTrusted_ = true;
  std::map<std::string, AutomationConsent> automation_;
  AutomationConsent promptAnswer_ = AutomationConsent::allowed;
  int automationPrompts_ = 0;
  double latency_ = 0;
  std::vector<SlowEvent> slow_;
  std::vector<BusyStretch> busy_;
  std::map<std::string, int> appleEvents_;
  int scriptsCompiled_ = 0;
  // Late deliveries and scheduled changes hold this weakly, so none outlives the model.
  std::shared_ptr<SimMac*> self_ = std::make_shared<SimMac*>(this);
};

}  // namespace tidyframe
