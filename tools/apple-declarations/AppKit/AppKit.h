// Stand-in declarations for the macOS adapter's compile check: only what the adapter calls,
// written from Apple's reference pages. On a Mac the real framework headers are used instead.
// What exists only from macOS 14 on is in macos14/AppKit14.h, visible to the guarded helper only.
#pragma once

#include <Foundation/Foundation.h>

#pragma clang assume_nonnull begin

// AppKit > NSRunningApplication.
typedef NSUInteger NSApplicationActivationOptions;
enum : NSApplicationActivationOptions {
  NSApplicationActivateAllWindows = 1UL << 0,
  NSApplicationActivateIgnoringOtherApps = 1UL << 1,
};

@interface NSRunningApplication : NSObject
+ (nullable instancetype)runningApplicationWithProcessIdentifier:(pid_t)pid;
+ (NSArray<NSRunningApplication *> *)runningApplicationsWithBundleIdentifier:(NSString *)bundleIdentifier;
@property(nullable, readonly, copy) NSString *bundleIdentifier;
@property(readonly) pid_t processIdentifier;
@property(readonly, getter=isTerminated) BOOL terminated;
- (BOOL)activateWithOptions:(NSApplicationActivationOptions)options;
@end

// AppKit > NSApplication.
extern "C" {
extern const NSNotificationName NSApplicationDidBecomeActiveNotification;
}

@interface NSApplication : NSObject
@property(class, readonly, strong) NSApplication *sharedApplication;
- (void)activateIgnoringOtherApps:(BOOL)ignoreOtherApps;
@end

// AppKit > NSAppearance, NSView, NSWindow: a window's light or dark look.
typedef NSString *NSAppearanceName;
extern "C" {
extern NSAppearanceName const NSAppearanceNameAqua;
extern NSAppearanceName const NSAppearanceNameDarkAqua;
}

@interface NSAppearance : NSObject
+ (nullable NSAppearance *)appearanceNamed:(NSAppearanceName)name;
@end

@protocol NSAppearanceCustomization <NSObject>
@property(nullable, strong) NSAppearance *appearance;
@end

@interface NSWindow : NSObject <NSAppearanceCustomization>
@end

@interface NSView : NSObject <NSAppearanceCustomization>
@property(nullable, readonly, unsafe_unretained) NSWindow *window;
@end

// AppKit > NSWorkspace: the front application, opening URLs, volume and activation notifications.
extern "C" {
extern const NSNotificationName NSWorkspaceDidMountNotification;
extern const NSNotificationName NSWorkspaceDidUnmountNotification;
extern const NSNotificationName NSWorkspaceDidActivateApplicationNotification;
extern NSString *const NSWorkspaceApplicationKey;
}

@interface NSWorkspace : NSObject
@property(class, readonly, strong) NSWorkspace *sharedWorkspace;
@property(readonly, strong) NSNotificationCenter *notificationCenter;
@property(nullable, readonly, strong) NSRunningApplication *frontmostApplication;
- (BOOL)openURL:(NSURL *)url;
@end

// AppKit > NSAlert, NSSavePanel, NSOpenPanel: modal answers.
typedef NSInteger NSModalResponse;
enum : NSModalResponse { NSModalResponseOK = 1 };

@class UTType;

// AppKit > NSButton (an NSControl in the SDK; only what an alert's buttons are given here).
@interface NSButton : NSObject
@property(copy) NSString *keyEquivalent;
@property BOOL hasDestructiveAction;
@end

@interface NSAlert : NSObject
@property(copy) NSString *messageText;
@property(copy) NSString *informativeText;
- (NSButton *)addButtonWithTitle:(NSString *)title;
- (NSModalResponse)runModal;
@end

@interface NSSavePanel : NSObject
+ (NSSavePanel *)savePanel;
@property(nullable, readonly, copy) NSURL *URL;
@property(copy) NSString *nameFieldStringValue;
@property(copy) NSArray<UTType *> *allowedContentTypes;
@property(copy) NSString *message;
@property(copy) NSString *prompt;
- (NSModalResponse)runModal;
@end

@interface NSOpenPanel : NSSavePanel
+ (NSOpenPanel *)openPanel;
@property BOOL canChooseFiles;
@property BOOL canChooseDirectories;
@property BOOL allowsMultipleSelection;
@end

#pragma clang assume_nonnull end
