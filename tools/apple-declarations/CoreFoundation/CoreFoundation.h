// Stand-in declarations for the macOS adapter's compile check: only what the adapter calls,
// written from Apple's reference pages. On a Mac the real framework headers are used instead.
#pragma once

#include <stdint.h>
#include <sys/types.h>

#pragma clang assume_nonnull begin

// Core Foundation > Base Utilities; Objective-C runtime basics that Foundation re-exports.
typedef signed char BOOL;
#define YES __objc_yes
#define NO __objc_no
#define nil nullptr
typedef struct objc_class *Class;
typedef long NSInteger;
typedef unsigned long NSUInteger;
typedef unsigned char Boolean;
typedef int32_t OSStatus;
typedef uint32_t FourCharCode;
typedef long CFIndex;
typedef unsigned long CFTypeID;
typedef unsigned long CFHashCode;
typedef double CFTimeInterval;

// Core Foundation > CFType: every Core Foundation object; Create and Copy results are owned.
typedef const void *CFTypeRef;
typedef CFTypeRef CFPropertyListRef;
extern "C" {
void CFRelease(CFTypeRef cf);
CFTypeRef CFRetain(CFTypeRef cf);
CFTypeID CFGetTypeID(CFTypeRef cf);
CFHashCode CFHash(CFTypeRef cf);
}

// Core Foundation > CFString, CFArray, CFDictionary (toll-free bridged).
typedef const struct __attribute__((objc_bridge(NSString))) __CFString *CFStringRef;
typedef const struct __attribute__((objc_bridge(NSArray))) __CFArray *CFArrayRef;
typedef const struct __attribute__((objc_bridge(NSDictionary))) __CFDictionary *CFDictionaryRef;
extern "C" {
CFTypeID CFStringGetTypeID(void);
CFTypeID CFArrayGetTypeID(void);
CFIndex CFArrayGetCount(CFArrayRef theArray);
const void *CFArrayGetValueAtIndex(CFArrayRef theArray, CFIndex idx);
}

// Core Foundation > Preferences Utilities.
extern "C" {
Boolean CFPreferencesAppSynchronize(CFStringRef applicationID);
CFPropertyListRef CFPreferencesCopyAppValue(CFStringRef key, CFStringRef applicationID);
}

#pragma clang assume_nonnull end
