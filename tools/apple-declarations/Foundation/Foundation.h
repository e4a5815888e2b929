// Stand-in declarations for the macOS adapter's compile check: only what the adapter calls,
// written from Apple's reference pages. On a Mac the real framework headers are used instead.
#pragma once

#include <CoreFoundation/CoreFoundation.h>
#include <CoreServices/CoreServices.h>

#pragma clang assume_nonnull begin

@class NSString, NSArray<ObjectType>, NSDictionary<KeyType, ObjectType>;

// Objective-C Runtime > NSObject; Foundation > NSFastEnumeration (for ... in loops).
@protocol NSObject
- (BOOL)isKindOfClass:(Class)aClass;
@property(readonly, copy) NSString *description;
@end

__attribute__((objc_root_class))
@interface NSObject <NSObject>
+ (instancetype)alloc;
+ (instancetype)new;
+ (Class)class;
- (instancetype)init;
@end

typedef struct {
  unsigned long state;
  __unsafe_unretained id _Nullable *_Nullable itemsPtr;
  unsigned long *_Nullable mutationsPtr;
  unsigned long extra[5];
} NSFastEnumerationState;

@protocol NSFastEnumeration
- (NSUInteger)countByEnumeratingWithState:(NSFastEnumerationState *)state
                                  objects:(__unsafe_unretained id _Nullable[_Nonnull])buffer
                                    count:(NSUInteger)len;
@end

// Foundation > NSString.
typedef NSUInteger NSStringEncoding;
enum : NSStringEncoding { NSUTF8StringEncoding = 4 };

@interface NSString : NSObject
- (nullable instancetype)initWithBytes:(const void *)bytes length:(NSUInteger)len encoding:(NSStringEncoding)encoding;
@property(nullable, readonly) const char *UTF8String;
@end

// Foundation > NSNumber, NSData, NSError.
@interface NSNumber : NSObject
+ (NSNumber *)numberWithBool:(BOOL)value;
@property(readonly) BOOL boolValue;
@property(readonly) long long longLongValue;
@property(readonly) double doubleValue;
@end

@interface NSData : NSObject
+ (instancetype)dataWithBytes:(nullable const void *)bytes length:(NSUInteger)length;
@property(readonly) const void *bytes;
@property(readonly) NSUInteger length;
@end

@interface NSError : NSObject
@property(readonly, copy) NSString *localizedDescription;
@end

// Foundation > NSArray, NSDictionary (with the methods object literals and subscripts use).
@interface NSArray<__covariant ObjectType> : NSObject <NSFastEnumeration>
+ (instancetype)arrayWithObjects:(const ObjectType _Nonnull[_Nonnull])objects count:(NSUInteger)count;
- (ObjectType)objectAtIndexedSubscript:(NSUInteger)index;
@property(readonly) NSUInteger count;
@end

@interface NSMutableArray<ObjectType> : NSArray<ObjectType>
- (void)addObject:(ObjectType)anObject;
@end

@interface NSDictionary<__covariant KeyType, __covariant ObjectType> : NSObject <NSFastEnumeration>
+ (instancetype)dictionaryWithObjects:(const ObjectType _Nonnull[_Nonnull])objects
                              forKeys:(const KeyType _Nonnull[_Nonnull])keys
                                count:(NSUInteger)count;
- (nullable ObjectType)objectForKeyedSubscript:(KeyType)key;
@end

// Foundation > NSURL: file URLs, resource values, bookmarks, security-scoped access.
typedef NSString *NSURLResourceKey;
extern "C" {
extern const NSURLResourceKey NSURLVolumeNameKey;
extern const NSURLResourceKey NSURLVolumeUUIDStringKey;
extern const NSURLResourceKey NSURLVolumeIsInternalKey;
extern const NSURLResourceKey NSURLVolumeIsRemovableKey;
extern const NSURLResourceKey NSURLVolumeIsReadOnlyKey;
extern const NSURLResourceKey NSURLVolumeTotalCapacityKey;
extern const NSURLResourceKey NSURLVolumeAvailableCapacityKey;
extern const NSURLResourceKey NSURLIsDirectoryKey;
extern const NSURLResourceKey NSURLIsPackageKey;
}

// Option sets are plain integers in C++, their values an unnamed enumeration.
typedef NSUInteger NSURLBookmarkCreationOptions;
typedef NSUInteger NSURLBookmarkResolutionOptions;
enum : NSURLBookmarkResolutionOptions {
  NSURLBookmarkResolutionWithoutUI = 1UL << 8,
  NSURLBookmarkResolutionWithoutImplicitStartAccessing = 1UL << 15,
};

@interface NSURL : NSObject
+ (NSURL *)fileURLWithPath:(NSString *)path isDirectory:(BOOL)isDir;
+ (NSURL *)fileURLWithPath:(NSString *)path;
+ (nullable instancetype)URLWithString:(NSString *)URLString;
+ (nullable instancetype)URLByResolvingBookmarkData:(NSData *)bookmarkData
                                            options:(NSURLBookmarkResolutionOptions)options
                                      relativeToURL:(nullable NSURL *)relativeURL
                                bookmarkDataIsStale:(nullable BOOL *)isStale
                                              error:(NSError **)error;
@property(nullable, readonly, copy) NSString *path;
@property(nullable, readonly, copy) NSString *absoluteString;
- (nullable NSDictionary<NSURLResourceKey, id> *)resourceValuesForKeys:(NSArray<NSURLResourceKey> *)keys
                                                                 error:(NSError **)error;
- (nullable NSData *)bookmarkDataWithOptions:(NSURLBookmarkCreationOptions)options
              includingResourceValuesForKeys:(nullable NSArray<NSURLResourceKey> *)keys
                               relativeToURL:(nullable NSURL *)relativeURL
                                       error:(NSError **)error;
- (BOOL)startAccessingSecurityScopedResource;
- (void)stopAccessingSecurityScopedResource;
@end

// Foundation > NSFileManager: mounted volumes.
typedef NSUInteger NSVolumeEnumerationOptions;
enum : NSVolumeEnumerationOptions { NSVolumeEnumerationSkipHiddenVolumes = 1UL << 1 };

@interface NSFileManager : NSObject
@property(class, readonly, strong) NSFileManager *defaultManager;
- (nullable NSArray<NSURL *> *)mountedVolumeURLsIncludingResourceValuesForKeys:(nullable NSArray<NSURLResourceKey> *)keys
                                                                        options:(NSVolumeEnumerationOptions)options;
@end

// Foundation > NSLocale (preferred languages), NSProcessInfo (system version).
@interface NSLocale : NSObject
@property(class, readonly, copy) NSArray<NSString *> *preferredLanguages;
@end

@interface NSProcessInfo : NSObject
@property(class, readonly, strong) NSProcessInfo *processInfo;
@property(readonly, copy) NSString *operatingSystemVersionString;
@end

// Foundation > NSUserDefaults.
@interface NSUserDefaults : NSObject
@property(class, readonly, strong) NSUserDefaults *standardUserDefaults;
- (nullable id)objectForKey:(NSString *)defaultName;
- (void)setDouble:(double)value forKey:(NSString *)defaultName;
- (void)setInteger:(NSInteger)value forKey:(NSString *)defaultName;
- (void)setBool:(BOOL)value forKey:(NSString *)defaultName;
@end

// Foundation > NSNotificationCenter, NSOperationQueue.
typedef NSString *NSNotificationName;

@interface NSNotification : NSObject
@property(readonly, copy) NSNotificationName name;
@property(nullable, readonly, copy) NSDictionary *userInfo;
@end

@interface NSOperationQueue : NSObject
@property(class, readonly, strong) NSOperationQueue *mainQueue;
@end

@interface NSNotificationCenter : NSObject
@property(class, readonly, strong) NSNotificationCenter *defaultCenter;
- (id<NSObject>)addObserverForName:(nullable NSNotificationName)name
                            object:(nullable id)obj
                             queue:(nullable NSOperationQueue *)queue
                        usingBlock:(void (^)(NSNotification *notification))block;
- (void)removeObserver:(id)observer;
@end

// Foundation > NSAppleScript, NSAppleEventDescriptor.
extern "C" {
extern NSString *const NSAppleScriptErrorNumber;
extern NSString *const NSAppleScriptErrorMessage;
}

@interface NSAppleEventDescriptor : NSObject
+ (instancetype)descriptorWithBundleIdentifier:(NSString *)bundleIdentifier;
@property(nullable, readonly) const AEDesc *aeDesc;
@property(readonly) DescType descriptorType;
@property(readonly) NSInteger numberOfItems;
- (nullable NSAppleEventDescriptor *)descriptorAtIndex:(NSInteger)index;
- (nullable NSAppleEventDescriptor *)coerceToDescriptorType:(DescType)descriptorType;
@property(nullable, readonly, copy) NSString *stringValue;
@property(readonly) int32_t int32Value;
@end

@interface NSAppleScript : NSObject
- (nullable instancetype)initWithSource:(NSString *)source;
- (BOOL)compileAndReturnError:(NSDictionary<NSString *, id> *_Nullable *_Nullable)errorInfo;
- (NSAppleEventDescriptor *)executeAndReturnError:(NSDictionary<NSString *, id> *_Nullable *_Nullable)errorInfo;
@end

#pragma clang assume_nonnull end
