#import <AppKit/AppKit.h>
#import <UniformTypeIdentifiers/UniformTypeIdentifiers.h>

#include "mac/activation_macos14.h"
#include "mac/mac_conversions.h"
#include "mac/mac_ports.h"

namespace tidyframe {

namespace {

// "json" is public.json, "txt" public.plain-text: the system's own mapping of extensions.
NSArray<UTType*>* contentTypesOf(const std::vector<std::string>& extensions) {
  NSMutableArray<UTType*>* types = [NSMutableArray new];
  for (const auto& extension : extensions) {
    if (UTType* type = [UTType typeWithFilenameExtension:mac::toNSString(extension)]) [types addObject:type];
  }
  return types;
}

// An empty message or prompt leaves the panel's own.
void describe(NSSavePanel* panel, const FilePanelRequest& request) {
  panel.allowedContentTypes = contentTypesOf(request.allowedTypes);
  if (!request.message.empty()) panel.message = mac::toNSString(request.message);
  if (!request.prompt.empty()) panel.prompt = mac::toNSString(request.prompt);
}

std::optional<std::string> chosenPath(NSSavePanel* panel) {
  mac::activateIgnoringOtherApplications();
  if ([panel runModal] != NSModalResponseOK || !panel.URL) return std::nullopt;
  return mac::toString(panel.URL.path);
}

// The alert gives Return to its first button and Escape only to a button titled "Cancel" in the
// system's language, so both follow the roles here. A button holds one key: where the
// cancelling button is also the default (beside a destructive one) it keeps Escape, and Return
// answers nothing rather than the destructive button.
void assignKeys(NSArray<NSButton*>* buttons, const AlertRequest& request) {
  const auto returning = request.defaultButton();
  const auto cancelling = request.cancelButton();
  for (NSUInteger index = 0; index < buttons.count; ++index) {
    NSButton* button = buttons[index];
    if (index == cancelling && buttons.count > 1) {
      button.keyEquivalent = @"\033";
    } else if (index == returning) {
      button.keyEquivalent = @"\r";
    } else {
      button.keyEquivalent = @"";
    }
  }
}

class MacAlerts final : public Alerts {
 public:
  int runModal(const AlertRequest& request) override {
    @autoreleasepool {
      NSAlert* alert = [NSAlert new];
      alert.messageText = mac::toNSString(request.message);
      alert.informativeText = mac::toNSString(request.informative);
      NSMutableArray<NSButton*>* buttons = [NSMutableArray new];
      for (const auto& button : request.buttons) {
        NSButton* added = [alert addButtonWithTitle:mac::toNSString(button.title)];
        added.hasDestructiveAction = button.role == AlertButtonRole::destructive;
        [buttons addObject:added];
      }
      assignKeys(buttons, request);
      mac::activateIgnoringOtherApplications();
      return static_cast<int>([alert runModal]);
    }
  }

  std::optional<std::string> runSavePanel(const FilePanelRequest& request) override {
    @autoreleasepool {
      NSSavePanel* panel = [NSSavePanel savePanel];
      panel.nameFieldStringValue = mac::toNSString(request.proposedName);
      describe(panel, request);
      return chosenPath(panel);
    }
  }

  std::optional<std::string> runOpenPanel(const FilePanelRequest& request) override {
    @autoreleasepool {
      NSOpenPanel* panel = [NSOpenPanel openPanel];
      panel.canChooseFiles = request.choosesDirectories ? NO : YES;
      panel.canChooseDirectories = request.choosesDirectories ? YES : NO;
      panel.allowsMultipleSelection = NO;
      describe(panel, request);
      return chosenPath(panel);
    }
  }
};

}  // namespace

std::unique_ptr<Alerts> makeMacAlerts() { return std::make_unique<MacAlerts>(); }

}  // namespace tidyframe
