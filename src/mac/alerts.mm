#import <AppKit/AppKit.h>
#import <UniformTypeIdentifiers/UniformTypeIdentifiers.h>

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

std::optional<std::string> chosenPath(NSSavePanel* panel) {
  if ([panel runModal] != NSModalResponseOK || !panel.URL) return std::nullopt;
  return mac::toString(panel.URL.path);
}

class MacAlerts final : public Alerts {
 public:
  int runModal(const AlertRequest& request) override {
    @autoreleasepool {
      NSAlert* alert = [NSAlert new];
      alert.messageText = mac::toNSString(request.message);
      alert.informativeText = mac::toNSString(request.informative);
      for (const auto& title : request.buttons) [alert addButtonWithTitle:mac::toNSString(title)];
      return static_cast<int>([alert runModal]);
    }
  }

  std::optional<std::string> runSavePanel(const FilePanelRequest& request) override {
    @autoreleasepool {
      NSSavePanel* panel = [NSSavePanel savePanel];
      panel.nameFieldStringValue = mac::toNSString(request.proposedName);
      panel.allowedContentTypes = contentTypesOf(request.allowedTypes);
      return chosenPath(panel);
    }
  }

  std::optional<std::string> runOpenPanel(const FilePanelRequest& request) override {
    @autoreleasepool {
      NSOpenPanel* panel = [NSOpenPanel openPanel];
      panel.canChooseFiles = YES;
      panel.canChooseDirectories = NO;
      panel.allowsMultipleSelection = NO;
      panel.allowedContentTypes = contentTypesOf(request.allowedTypes);
      return chosenPath(panel);
    }
  }
};

}  // namespace

std::unique_ptr<Alerts> makeMacAlerts() { return std::make_unique<MacAlerts>(); }

}  // namespace tidyframe
