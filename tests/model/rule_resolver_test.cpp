#include <gtest/gtest.h>

#include <functional>

#include "i18n/l.h"
#include "model/rule_resolver.h"

namespace tidyframe {
namespace {

LocationRule rule(std::string name, std::string path, RuleScope scope, Grouping grouping,
                  std::optional<std::string> volumeID = std::nullopt) {
  return {.name = std::move(name), .path = std::move(path), .volumeID = std::move(volumeID), .scope = scope,
          .includeChildren = true, .grouping = grouping, .bookmark = {}};
}

Preferences withRules(std::vector<LocationRule> rules, const std::function<void(Preferences&)>& change = {}) {
  Preferences preferences;
  preferences.rules = std::move(rules);
  if (change) change(preferences);
  return preferences;
}

// The renamed card: a device rule by UUID, a folder rule on it and a deeper one below that.
Preferences card(const std::function<void(Preferences&)>& change = {}) {
  return withRules({rule("SD", "/Volumes/SD", RuleScope::device, Grouping::created, "A"),
                    rule("Photos", "/Volumes/Renamed/DCIM", RuleScope::folder, Grouping::modified),
                    rule("Day 2", "/Volumes/Renamed/DCIM/Day2", RuleScope::folder, Grouping::tags)},
                   change);
}

TEST(RuleResolverTest, NormalisedPaths) {
  struct Case {
    const char* reason;
    std::string path;
    std::string expected;
  };
  const Case cases[] = {
      {"root stays root", "/", "/"},
      {"trailing slash dropped", "/Users/demo/", "/Users/demo"},
      {"dot components dropped", "/Users/./demo/.", "/Users/demo"},
      {"dot-dot removes the component before", "/tmp/../Users/demo", "/Users/demo"},
      {"dot-dot below the root stays at the root", "/../../Users", "/Users"},
      {"repeated slashes collapse", "//Users///demo//", "/Users/demo"},
      {"decomposed accent composes", "/Users/Cafe\xCC\x81", "/Users/Caf\xC3\xA9"},
      {"names that start with dots are names", "/Users/.config/..a/...", "/Users/.config/..a/..."},
      {"a composed accent stays", "/Users/Caf\xC3\xA9/x", "/Users/Caf\xC3\xA9/x"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RuleResolver::normalized(c.path), c.expected) << c.reason;
    // The archive's reader keeps keys it finds normalised without normalising them.
    EXPECT_EQ(RuleResolver::isNormalized(c.path), c.path == c.expected) << c.reason;
  }
}

TEST(RuleResolverTest, ContainmentOnWholeComponents) {
  struct Case {
    const char* reason;
    const char* parent;
    std::string child;
    bool expected;
  };
  const Case cases[] = {
      {"itself", "/Volumes/Renamed/DCIM", "/Volumes/Renamed/DCIM", true},
      {"a child", "/Volumes/Renamed/DCIM", "/Volumes/Renamed/DCIM/A", true},
      {"a sibling sharing a prefix", "/Volumes/Renamed/DCIM", "/Volumes/Renamed/DCIM-extra", false},
      {"the parent of the parent", "/Volumes/Renamed/DCIM", "/Volumes/Renamed", false},
      {"the root contains everything", "/", "/Users/demo", true},
      {"case-sensitive", "/Users/demo", "/users/demo/x", false},
      {"composed parent, decomposed child", "/Caf\xC3\xA9", "/Cafe\xCC\x81/x", true},
      {"a letter without its accent is another name", "/Cafe", "/Cafe\xCC\x81/x", false},
      {"a combining mark never starts a child component", "/a", "/a/\xCC\x81x", false},
  };
  for (const auto& c : cases) EXPECT_EQ(RuleResolver::contains(c.parent, c.child), c.expected) << c.reason;
}

TEST(RuleResolverTest, DeviceMatchForTheEditor) {
  const auto withUuid = rule("SD", "/Volumes/SD", RuleScope::device, Grouping::created, "A");
  const auto withoutUuid = rule("Stick", "/Volumes/Stick", RuleScope::device, Grouping::created);
  const auto folder = rule("SD folder", "/Volumes/SD", RuleScope::folder, Grouping::created, "A");
  struct Case {
    const char* reason;
    const LocationRule& rule;
    std::optional<std::string> uuid;
    const char* path;
    bool expected;
  };
  const Case cases[] = {
      {"same UUID, renamed volume", withUuid, "A", "/Volumes/Renamed", true},
      {"other UUID at the old path", withUuid, "B", "/Volumes/SD", false},
      {"volume without UUID at the old path", withUuid, std::nullopt, "/Volumes/SD", false},
      {"no UUID: path equality", withoutUuid, std::nullopt, "/Volumes/Stick/", true},
      {"no UUID: a path below is not the volume", withoutUuid, std::nullopt, "/Volumes/Stick/Sub", false},
      {"no UUID on the rule: a volume UUID does not matter", withoutUuid, "A", "/Volumes/Stick", true},
      {"folder rules never match a device", folder, "A", "/Volumes/SD", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RuleResolver::matchesDevice(c.rule, c.uuid, c.path), c.expected) << c.reason;
  }
}

TEST(RuleResolverTest, PrecedenceOfScopeFolderDeviceAndDefault) {
  using enum Grouping;
  using enum RuleScope;
  const L l{{}, nullptr};  // no tables: the Chinese source texts
  const std::string byDefault = "全局默认", excludedHere = "此位置已排除";
  const auto externalOff = [](Preferences& p) { p.externalEnabled = false; };
  const auto exactOnly = [](Preferences& p) { p.rules[1].includeChildren = false; };
  struct Case {
    const char* reason;
    Preferences preferences;
    std::string path;  // external when under /Volumes, as on a Mac
    std::optional<std::string> volume;
    Grouping grouping;
    std::string source;
    bool excluded = false;
    FinderViewChoice view = FinderViewChoice::keep;
  };
  const auto listByDefault = [](Preferences& p) { p.view = FinderViewChoice::list; };
  const auto viewed = [&](const std::function<void(Preferences&)>& change = {}) {
    return card([&](Preferences& p) {
      listByDefault(p);
      p.rules[2].view = FinderViewChoice::gallery;
      if (change) change(p);
    });
  };
  const Case cases[] = {
      {"fresh settings: global default", {}, "/Users/demo/Pictures", std::nullopt, kind, byDefault},
      {"external scope off", withRules({}, externalOff), "/Volumes/SD/DCIM", "A", kind, excludedHere, true},
      {"the UUID survives a rename", card(), "/Volumes/Renamed/Other", "A", created, "SD"},
      {"same name, other device", card(), "/Volumes/SD/DCIM-other", "B", kind, byDefault},
      {"a folder rule beats a device rule listed first", card(), "/Volumes/Renamed/DCIM/A", "A", modified, "Photos"},
      {"the deepest folder wins", card(), "/Volumes/Renamed/DCIM/Day2/A", "A", tags, "Day 2"},
      {"component boundary", card(), "/Volumes/Renamed/DCIM-extra", "A", created, "SD"},
      {"exact-only rule skips children", card(exactOnly), "/Volumes/Renamed/DCIM/A", "A", created, "SD"},
      {"exact-only rule still matches itself", card(exactOnly), "/Volumes/Renamed/DCIM/", "A", modified, "Photos"},
      {"an excluded deepest rule excludes", card([](Preferences& p) { p.rules[2].excluded = true; }),
       "/Volumes/Renamed/DCIM/Day2", "A", tags, "Day 2", true},
      {"a disabled rule is invisible",
       card([](Preferences& p) { p.rules[2].excluded = true, p.rules[2].enabled = false; }),
       "/Volumes/Renamed/DCIM/Day2", "A", modified, "Photos"},
      {"a deeper rule re-enables below an excluded folder", card([](Preferences& p) { p.rules[1].excluded = true; }),
       "/Volumes/Renamed/DCIM/Day2/x", "A", tags, "Day 2"},
      {"scope switch beats matching rules", card(externalOff), "/Volumes/Renamed/DCIM", "A", kind, excludedHere, true},
      {"internal scope off",
       withRules({rule("Test", "/Users/demo/Test", folder, size)}, [](Preferences& p) { p.internalEnabled = false; }),
       "/Users/demo/Test", std::nullopt, kind, excludedHere, true},
      {"same folder twice: the first listed wins",
       withRules({rule("First", "/Users/demo", folder, size), rule("Second", "/Users/demo/", folder, tags)}),
       "/Users/demo/x", std::nullopt, size, "First"},
      {"the same folder in two Unicode forms ties and falls to list order",
       withRules({rule("NFD", "/Users/Cafe\xCC\x81", folder, size), rule("NFC", "/Users/Caf\xC3\xA9", folder, tags)}),
       "/Users/Caf\xC3\xA9/x", std::nullopt, size, "NFD"},
      {"among device rules the first listed wins",
       withRules({rule("By path", "/Volumes/SD", device, size), rule("By UUID", "/Volumes/Old", device, tags, "A")}),
       "/Volumes/SD/x", "A", size, "By path"},
      {"a device rule without UUID covers its mount path",
       withRules({rule("Stick", "/Volumes/Stick", device, added)}), "/Volumes/Stick/a/b", std::nullopt, added, "Stick"},
      {"a location without UUID never matches a UUID rule", card(), "/Volumes/SD/x", std::nullopt, kind, byDefault},
      {"the global view", withRules({}, listByDefault), "/Users/demo", std::nullopt, kind, byDefault, false,
       FinderViewChoice::list},
      {"a rule's own view", viewed(), "/Volumes/Renamed/DCIM/Day2", "A", tags, "Day 2", false,
       FinderViewChoice::gallery},
      {"a rule without a view follows the global one", viewed(), "/Volumes/Renamed/DCIM/A", "A", modified, "Photos",
       false, FinderViewChoice::list},
      {"an excluded rule keeps the Finder's view", viewed([](Preferences& p) { p.rules[2].excluded = true; }),
       "/Volumes/Renamed/DCIM/Day2", "A", tags, "Day 2", true},
      {"a switched-off scope keeps the Finder's view", viewed(externalOff), "/Volumes/Renamed/DCIM/Day2", "A", kind,
       excludedHere, true},
  };
  for (const auto& c : cases) {
    const bool external = c.path.starts_with("/Volumes/");
    EXPECT_EQ(RuleResolver::resolve(c.path, c.volume, external, c.preferences, l),
              (EffectiveRule{c.grouping, Sorting::name, c.source, c.excluded, c.view}))
        << c.reason;
  }
}

TEST(RuleResolverTest, ResolveAnswersForAnyText) {
  const L l{{}, nullptr};
  const auto preferences = withRules({rule("Root", "/", RuleScope::folder, Grouping::size),
                                      rule("Broken", "/a\xff/b", RuleScope::folder, Grouping::tags)});
  std::string deep;
  for (int i = 0; i < 5000; ++i) deep += "/component" + std::to_string(i);
  const std::string inputs[] = {"", "relative/path", "/a\xff/b/c", std::string("/\0x", 3), deep, "\xc3", "//..//..//"};
  for (const auto& input : inputs) {
    EXPECT_FALSE(RuleResolver::resolve(input, std::nullopt, false, preferences, l).source.empty());
  }
  EXPECT_EQ(RuleResolver::resolve("/a\xff/b/c", std::nullopt, false, preferences, l).source, "Broken");
}

}  // namespace
}  // namespace tidyframe
