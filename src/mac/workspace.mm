#import <AppKit/AppKit.h>

#include "mac/activation_macos14.h"
#include "mac/mac_conversions.h"
#include "mac/mac_ports.h"

namespace tidyframe {

namespace {

RunningApplication runningApplicationOf(NSRunningApplication* application) {
  return RunningApplication{mac::toString(application.bundleIdentifier), application.processIdentifier};
}

// Observers run on the main thread, through the main operation queue.
Subscription observe(NSNotificationCenter* center, NSNotificationName name, std::function<void()> observer) {
  id<NSObject> token = [center addObserverForName:name
                                           object:nil
                                            queue:NSOperationQueue.mainQueue
                                       usingBlock:^(NSNotification*) {
                                         observer();
                                       }];
  return Subscription([center, token] { [center removeObserver:token]; });
}

// The application a workspace notification is about, if it names one.
std::optional<RunningApplication> applicationIn(NSNotification* notification) {
  id application = notification.userInfo[NSWorkspaceApplicationKey];
  if (![application isKindOfClass:[NSRunningApplication class]]) return std::nullopt;
  return runningApplicationOf(application);
}

class MacWorkspace final : public Workspace {
 public:
  std::optional<RunningApplication> frontmostApplication() const override {
    @autoreleasepool {
      NSRunningApplication* front = NSWorkspace.sharedWorkspace.frontmostApplication;
      if (!front) return std::nullopt;
      return runningApplicationOf(front);
    }
  }

  std::vector<RunningApplication> runningApplications(const std::string& bundleIdentifier) const override {
    @autoreleasepool {
      std::vector<RunningApplication> found;
      for (NSRunningApplication* application in
           [NSRunningApplication runningApplicationsWithBundleIdentifier:mac::toNSString(bundleIdentifier)]) {
        found.push_back(runningApplicationOf(application));
      }
      return found;
    }
  }

  bool isRunning(int processIdentifier) const override {
    @autoreleasepool {
      NSRunningApplication* application =
          [NSRunningApplication runningApplicationWithProcessIdentifier:processIdentifier];
      return application && !application.terminated;
    }
  }

  void yieldActivation(const RunningApplication& target) override {
    @autoreleasepool {
      NSRunningApplication* application =
          [NSRunningApplication runningApplicationWithProcessIdentifier:target.processIdentifier];
      if (application) mac::yieldActivationOnMacOS14(application);
    }
  }

  bool activate(const RunningApplication& target) override {
    @autoreleasepool {
      NSRunningApplication* application =
          [NSRunningApplication runningApplicationWithProcessIdentifier:target.processIdentifier];
      return [application activateWithOptions:NSApplicationActivateIgnoringOtherApps] == YES;
    }
  }

  bool openURL(const std::string& url) override {
    @autoreleasepool {
      NSURL* parsed = [NSURL URLWithString:mac::toNSString(url)];
      return parsed && [NSWorkspace.sharedWorkspace openURL:parsed];
    }
  }

  bool openFolder(const std::string& path) override {
    @autoreleasepool {
      NSURL* folder = mac::fileURLOf(path, true);
      return folder && [NSWorkspace.sharedWorkspace openURL:folder];
    }
  }

  Subscription onDidMount(std::function<void()> observer) override {
    return observe(NSWorkspace.sharedWorkspace.notificationCenter, NSWorkspaceDidMountNotification,
                   std::move(observer));
  }

  Subscription onDidUnmount(std::function<void()> observer) override {
    return observe(NSWorkspace.sharedWorkspace.notificationCenter, NSWorkspaceDidUnmountNotification,
                   std::move(observer));
  }

  Subscription onDidBecomeActive(std::function<void()> observer) override {
    return observe(NSNotificationCenter.defaultCenter, NSApplicationDidBecomeActiveNotification, std::move(observer));
  }

  Subscription onDidActivateApplication(std::function<void(const RunningApplication&)> observer) override {
    NSNotificationCenter* center = NSWorkspace.sharedWorkspace.notificationCenter;
    id<NSObject> token = [center addObserverForName:NSWorkspaceDidActivateApplicationNotification
                                             object:nil
                                              queue:NSOperationQueue.mainQueue
                                         usingBlock:^(NSNotification* notification) {
                                           if (const auto application = applicationIn(notification)) {
                                             observer(*application);
                                           }
                                         }];
    return Subscription([center, token] { [center removeObserver:token]; });
  }
};

}  // namespace

std::unique_ptr<Workspace> makeMacWorkspace() { return std::make_unique<MacWorkspace>(); }

}  // namespace tidyframe
