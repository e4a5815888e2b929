#include <gtest/gtest.h>

#include <map>

#include "finder/finder_window_probe.h"
#include "platform/accessibility.h"
#include "platform/input_state.h"

namespace tidyframe {
namespace {

using Snapshot = FinderWindowProbe::Snapshot;
using Read = std::expected<AccessibilityValue, std::int32_t>;

// An element whose attributes the test sets; every read is counted on the shared counter.
class FakeElement final : public AccessibilityElement {
 public:
  FakeElement(std::uint64_t hash, int& reads) : hash_(hash), reads_(reads) {}
  std::map<std::string, Read, std::less<>> attributes;

  Read attribute(std::string_view name) const override {
    ++reads_;
    const auto found = attributes.find(name);
    return found == attributes.end() ? Read(std::unexpected(-25205)) : found->second;
  }
  std::uint64_t hash() const override { return hash_; }

 private:
  std::uint64_t hash_;
  int& reads_;
};

class FakeAccessibility final : public Accessibility {
 public:
  std::map<std::int32_t, std::shared_ptr<FakeElement>> applications;
  double lastTimeout = 0;
  bool isProcessTrusted() const override { return true; }
  bool isProcessTrustedPrompting() override { return true; }
  AccessibilityElementRef applicationElement(std::int32_t pid, double messagingTimeout) override {
    lastTimeout = messagingTimeout;
    return applications.at(pid);
  }
};

class NoInput final : public InputState {
 public:
  double secondsSinceLastEvent(InputEventType) const override { return 1e9; }
  std::uint32_t pressedMouseButtons() const override { return 0; }
};

// Members are public so the table rows below can change the tree through the fixture.
class FinderWindowProbeTest : public ::testing::Test {
 public:
  static constexpr std::int32_t pid = 412;

  FinderWindowProbeTest() {
    application = element(1);
    accessibility.applications[pid] = application;
    window = container("AXWindow", 77);
    window->attributes["AXDocument"] = AccessibilityValue(std::string("file:///Users/demo/"));
    application->attributes["AXFocusedWindow"] = AccessibilityValue(AccessibilityElementRef(window));
  }

  std::shared_ptr<FakeElement> element(std::uint64_t hash = 0) { return std::make_shared<FakeElement>(hash, reads); }

  std::shared_ptr<FakeElement> container(const char* role, std::uint64_t hash = 0) {
    auto made = element(hash);
    made->attributes["AXRole"] = AccessibilityValue(std::string(role));
    made->attributes["AXChildren"] = AccessibilityValue(std::vector<AccessibilityElementRef>{});
    return made;
  }

  static void adopt(FakeElement& parent, std::shared_ptr<FakeElement> child) {
    std::get<std::vector<AccessibilityElementRef>>(*parent.attributes["AXChildren"]).push_back(std::move(child));
  }

  std::shared_ptr<FakeElement> view(const char* identifier) {
    auto made = element();
    made->attributes["AXIdentifier"] = AccessibilityValue(std::string(identifier));
    return made;
  }

  // window > split group > scroll area > the view: Finder's usual shape.
  std::shared_ptr<FakeElement> usualTree(const char* identifier) {
    auto split = container("AXSplitGroup");
    auto scroll = container("AXScrollArea");
    auto shown = view(identifier);
    adopt(*scroll, shown);
    adopt(*split, scroll);
    adopt(*window, split);
    return shown;
  }

  Snapshot snapshot() { return FinderWindowProbe(accessibility, input).snapshot(pid); }

  int reads = 0;
  FakeAccessibility accessibility;
  NoInput input;
  std::shared_ptr<FakeElement> application;
  std::shared_ptr<FakeElement> window;
};

TEST_F(FinderWindowProbeTest, SignatureIsStableBetweenPolls) {
  usualTree("ListView");
  const auto first = snapshot();
  EXPECT_EQ(first, Snapshot::document("412:77:file:///Users/demo/:ListView"));
  EXPECT_EQ(snapshot(), first);
  EXPECT_EQ(first.gateSignature(), "412:77:file:///Users/demo/:ListView");
  EXPECT_EQ(accessibility.lastTimeout, 0.01);
}

TEST_F(FinderWindowProbeTest, NavigationChangesTheSignature) {
  auto shown = usualTree("IconView");
  const auto before = snapshot();
  shown->attributes["AXIdentifier"] = AccessibilityValue(std::string("ListView"));
  const auto otherView = snapshot();
  EXPECT_NE(otherView, before) << "the same folder in another view";
  EXPECT_TRUE(otherView.signature.ends_with(":ListView"));

  auto second = container("AXWindow", 78);
  second->attributes = window->attributes;
  application->attributes["AXFocusedWindow"] = AccessibilityValue(AccessibilityElementRef(second));
  const auto otherWindow = snapshot();
  EXPECT_NE(otherWindow, otherView) << "another window on the same folder";
  EXPECT_TRUE(otherWindow.signature.starts_with("412:78:"));
}

TEST_F(FinderWindowProbeTest, WhatCannotBeReadIsUnavailableAndOnlyNoValueIsNoWindow) {
  usualTree("ColumnView");
  struct Case {
    std::function<void(FinderWindowProbeTest&)> change;
    Snapshot::Kind expected;
    const char* reason;
  };
  const Case cases[] = {
      {[](auto& t) { t.application->attributes["AXFocusedWindow"] = Read(std::unexpected(-25212)); },
       Snapshot::Kind::noWindow, "the Finder has no focused window"},
      {[](auto& t) { t.application->attributes["AXFocusedWindow"] = Read(std::unexpected(-25204)); },
       Snapshot::Kind::unavailable, "a busy Finder that did not answer in time"},
      {[](auto& t) { t.application->attributes["AXFocusedWindow"] = Read(std::unexpected(-25211)); },
       Snapshot::Kind::unavailable, "no accessibility permission"},
      {[](auto& t) { t.application->attributes["AXFocusedWindow"] = AccessibilityValue(std::string("w")); },
       Snapshot::Kind::unavailable, "a focused window that is not an element"},
      {[](auto& t) { t.application->attributes["AXFocusedWindow"] = AccessibilityValue(AccessibilityElementRef()); },
       Snapshot::Kind::unavailable, "an empty value"},
      {[](auto& t) { t.window->attributes["AXDocument"] = AccessibilityValue(std::string()); },
       Snapshot::Kind::unavailable, "an empty document is not a missing window"},
      {[](auto& t) { t.window->attributes.erase("AXDocument"); }, Snapshot::Kind::unavailable,
       "a window without a document"},
      {[](auto& t) { t.window->attributes["AXDocument"] = AccessibilityValue(OtherAccessibilityValue{}); },
       Snapshot::Kind::unavailable, "a document that is not text"},
      {[](auto& t) { t.window->attributes["AXChildren"] = AccessibilityValue(OtherAccessibilityValue{}); },
       Snapshot::Kind::unavailable, "children that are not an array"},
      {[](auto& t) { t.window->attributes["AXRole"] = AccessibilityValue(std::string("AXSheet")); },
       Snapshot::Kind::unavailable, "a window role that is not a container"},
  };
  for (const auto& c : cases) {
    const auto savedApplication = application->attributes;
    const auto savedWindow = window->attributes;
    c.change(*this);
    EXPECT_EQ(snapshot().kind, c.expected) << c.reason;
    EXPECT_EQ(snapshot().gateSignature(), std::nullopt) << c.reason;
    application->attributes = savedApplication;
    window->attributes = savedWindow;
  }
  EXPECT_EQ(snapshot().kind, Snapshot::Kind::document) << "the table restored the window after each row";
}

TEST_F(FinderWindowProbeTest, ViewIsFoundOnlyWithinThreeLevels) {
  struct Case {
    int depth;
    bool found;
  };
  const Case cases[] = {{0, true}, {1, true}, {2, true}, {3, true}, {4, false}, {5, false}};
  for (const auto& c : cases) {
    auto top = container("AXWindow", 5);
    top->attributes["AXDocument"] = AccessibilityValue(std::string("file:///x/"));
    application->attributes["AXFocusedWindow"] = AccessibilityValue(AccessibilityElementRef(top));
    auto parent = top;
    for (int level = 1; level <= c.depth; ++level) {
      auto group = container("AXGroup");
      adopt(*parent, group);
      parent = group;
    }
    parent->attributes["AXIdentifier"] = AccessibilityValue(std::string("GalleryView"));
    EXPECT_EQ(snapshot().kind == Snapshot::Kind::document, c.found) << "view at depth " << c.depth;
  }
}

TEST_F(FinderWindowProbeTest, SearchExaminesAtMostTwentyElementsAndEightChildrenEach) {
  // Window, then groups of eight plain children: the window is element 1, group g is element
  // 1 + 9 * (g - 1) + 1, and its children follow it.
  std::vector<std::shared_ptr<FakeElement>> groups;
  std::vector<std::shared_ptr<FakeElement>> leaves;
  for (int g = 0; g < 8; ++g) {
    auto group = container("AXGroup");
    for (int c = 0; c < 8; ++c) {
      auto leaf = element();
      adopt(*group, leaf);
      leaves.push_back(leaf);
    }
    adopt(*window, group);
    groups.push_back(group);
  }
  struct Case {
    std::shared_ptr<FakeElement> holder;
    bool found;
    const char* reason;
  };
  const Case cases[] = {
      {leaves[15], true, "element 19, the last child of the second group"},
      {groups[2], true, "element 20 is still examined"},
      {leaves[16], false, "element 21 is beyond the limit"},
      {groups[7], false, "late siblings are never reached"},
  };
  for (const auto& c : cases) {
    c.holder->attributes["AXIdentifier"] = AccessibilityValue(std::string("IconView"));
    EXPECT_EQ(snapshot().kind == Snapshot::Kind::document, c.found) << c.reason;
    c.holder->attributes.erase("AXIdentifier");
  }

  auto wide = container("AXWindow", 9);
  wide->attributes["AXDocument"] = AccessibilityValue(std::string("file:///wide/"));
  for (int c = 0; c < 9; ++c) adopt(*wide, element());
  application->attributes["AXFocusedWindow"] = AccessibilityValue(AccessibilityElementRef(wide));
  const auto& children = std::get<std::vector<AccessibilityElementRef>>(*wide->attributes["AXChildren"]);
  auto& ninth = static_cast<FakeElement&>(*children[8]);
  ninth.attributes["AXIdentifier"] = AccessibilityValue(std::string("ListView"));
  EXPECT_EQ(snapshot().kind, Snapshot::Kind::unavailable) << "the ninth child is not considered";
  static_cast<FakeElement&>(*children[7]).attributes["AXIdentifier"] = AccessibilityValue(std::string("ListView"));
  EXPECT_EQ(snapshot().kind, Snapshot::Kind::document) << "the eighth child is";
}

TEST_F(FinderWindowProbeTest, AHugeWindowCostsABoundedNumberOfReads) {
  std::function<void(FakeElement&, int)> grow = [&](FakeElement& parent, int depth) {
    if (depth == 4) return;
    for (int c = 0; c < 12; ++c) {
      auto child = container("AXGroup");
      grow(*child, depth + 1);
      adopt(parent, child);
    }
  };
  grow(*window, 1);
  reads = 0;
  EXPECT_EQ(snapshot().kind, Snapshot::Kind::unavailable);
  EXPECT_LE(reads, 2 + 3 * 20);
}

class ScriptedInput final : public InputState {
 public:
  std::map<InputEventType, double> seconds;
  std::uint32_t buttons = 0;
  double secondsSinceLastEvent(InputEventType type) const override {
    const auto found = seconds.find(type);
    return found == seconds.end() ? 3600 : found->second;
  }
  std::uint32_t pressedMouseButtons() const override { return buttons; }
};

TEST(UserInteractionTest, RecentInputOrAHeldButtonMeansTheUserIsBusy) {
  FakeAccessibility accessibility;
  struct Case {
    std::map<InputEventType, double> seconds;
    std::uint32_t buttons;
    bool expected;
    const char* reason;
  };
  const Case cases[] = {
      {{}, 0, false, "an idle session"},
      {{}, 1, true, "the left button held down without moving"},
      {{}, 4, true, "another button held down"},
      {{{InputEventType::keyDown, 1.99}}, 0, true, "typing"},
      {{{InputEventType::flagsChanged, 0.1}}, 0, true, "a modifier key"},
      {{{InputEventType::otherMouseDragged, 1.0}}, 0, true, "the last event type still counts"},
      {{{InputEventType::scrollWheel, 2.0}}, 0, false, "two seconds ago is no longer now"},
      {{{InputEventType::mouseMoved, 2.5}, {InputEventType::keyUp, 9}}, 0, false, "all older than two seconds"},
  };
  for (const auto& c : cases) {
    ScriptedInput input;
    input.seconds = c.seconds;
    input.buttons = c.buttons;
    EXPECT_EQ(FinderWindowProbe(accessibility, input).userIsInteracting(), c.expected) << c.reason;
  }
  for (int type = 0; type <= static_cast<int>(InputEventType::otherMouseDragged); ++type) {
    ScriptedInput input;
    input.seconds[static_cast<InputEventType>(type)] = 0.5;
    EXPECT_TRUE(FinderWindowProbe(accessibility, input).userIsInteracting()) << "event type " << type;
  }
}

}  // namespace
}  // namespace tidyframe
