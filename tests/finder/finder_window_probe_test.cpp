#include <gtest/gtest.h>

#include <map>

#include "finder/finder_window_probe.h"
#include "platform/accessibility.h"
#include "platform/input_state.h"

namespace tidyframe {
namespace {

using Snapshot = FinderWindowProbe::Snapshot;
using Kind = Snapshot::Kind;
using Read = std::expected<AccessibilityValue, std::int32_t>;

AccessibilityValue text(const char* value) { return AccessibilityValue(std::string(value)); }

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

// Input the test sets; every event type it leaves out happened an hour ago.
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

class FinderWindowProbeTest : public ::testing::Test {
 protected:
  static constexpr std::int32_t pid = 412;

  FinderWindowProbeTest() {
    accessibility.applications[pid] = application;
    window = focusNewWindow(77, "file:///Users/demo/");
  }

  std::shared_ptr<FakeElement> element(std::uint64_t hash = 0) { return std::make_shared<FakeElement>(hash, reads); }

  std::shared_ptr<FakeElement> container(const char* role, std::uint64_t hash = 0) {
    auto made = element(hash);
    made->attributes["AXRole"] = text(role);
    made->attributes["AXChildren"] = AccessibilityValue(std::vector<AccessibilityElementRef>{});
    return made;
  }

  std::shared_ptr<FakeElement> focusNewWindow(std::uint64_t hash, const char* document) {
    auto made = container("AXWindow", hash);
    made->attributes["AXDocument"] = text(document);
    application->attributes["AXFocusedWindow"] = AccessibilityValue(AccessibilityElementRef(made));
    return made;
  }

  static void adopt(FakeElement& parent, std::shared_ptr<FakeElement> child) {
    std::get<std::vector<AccessibilityElementRef>>(*parent.attributes["AXChildren"]).push_back(std::move(child));
  }

  // window > split group > scroll area > the view: Finder's usual shape.
  void usualTree(const char* identifier) {
    auto split = container("AXSplitGroup");
    auto scroll = container("AXScrollArea");
    auto shown = element();
    shown->attributes["AXIdentifier"] = text(identifier);
    adopt(*scroll, shown);
    adopt(*split, scroll);
    adopt(*window, split);
  }

  Snapshot snapshot() { return FinderWindowProbe(accessibility, input).snapshot(pid); }

  int reads = 0;
  FakeAccessibility accessibility;
  ScriptedInput input;
  std::shared_ptr<FakeElement> application = element(1);
  std::shared_ptr<FakeElement> window;
};

// That a change of view changes it too, the engine test of switching views shows.
TEST_F(FinderWindowProbeTest, SignatureIsStableAndNamesTheWindow) {
  usualTree("IconView");
  const auto first = snapshot();
  EXPECT_EQ(first.gateSignature(), "412:77:file:///Users/demo/:IconView");
  EXPECT_EQ(snapshot(), first) << "stable between polls";
  EXPECT_EQ(accessibility.lastTimeout, 0.01);
  auto second = focusNewWindow(78, "file:///Users/demo/");
  second->attributes["AXChildren"] = window->attributes["AXChildren"];
  EXPECT_EQ(snapshot().gateSignature(), "412:78:file:///Users/demo/:IconView") << "another window, same folder";
}

TEST_F(FinderWindowProbeTest, WhatCannotBeReadIsUnavailableAndOnlyNoValueIsNoWindow) {
  usualTree("ColumnView");
  struct Case {
    bool onWindow;
    const char* attribute;
    Read value;
    Kind expected;
    const char* reason;
  };
  const Case cases[] = {
      {false, "AXFocusedWindow", std::unexpected(-25212), Kind::noWindow, "the Finder has no focused window"},
      {false, "AXFocusedWindow", std::unexpected(-25204), Kind::unavailable, "a busy Finder or no permission"},
      {false, "AXFocusedWindow", text("w"), Kind::unavailable, "a focused window that is not an element"},
      {false, "AXFocusedWindow", AccessibilityValue(AccessibilityElementRef()), Kind::unavailable, "an empty value"},
      {true, "AXDocument", text(""), Kind::unavailable, "an empty document is not a missing window"},
      {true, "AXDocument", std::unexpected(-25205), Kind::unavailable, "a window without a document"},
      {true, "AXDocument", AccessibilityValue(OtherAccessibilityValue{}), Kind::unavailable, "a document not text"},
      {true, "AXChildren", AccessibilityValue(OtherAccessibilityValue{}), Kind::unavailable, "children not an array"},
      {true, "AXRole", text("AXSheet"), Kind::unavailable, "a window role that is not a container"},
  };
  for (const auto& c : cases) {
    auto& holder = c.onWindow ? *window : *application;
    const auto saved = holder.attributes[c.attribute];
    holder.attributes[c.attribute] = c.value;
    EXPECT_EQ(snapshot().kind, c.expected) << c.reason;
    holder.attributes[c.attribute] = saved;
  }
  EXPECT_EQ(snapshot().kind, Kind::document) << "each row restored what it changed";
}

TEST_F(FinderWindowProbeTest, ViewIsFoundOnlyWithinThreeLevels) {
  for (int depth = 0; depth <= 5; ++depth) {
    auto parent = focusNewWindow(5, "file:///x/");
    for (int level = 1; level <= depth; ++level) {
      auto group = container("AXGroup");
      adopt(*parent, group);
      parent = group;
    }
    parent->attributes["AXIdentifier"] = text("GalleryView");
    EXPECT_EQ(snapshot().kind == Kind::document, depth <= 3) << "view at depth " << depth;
  }
}

TEST_F(FinderWindowProbeTest, SearchExaminesAtMostTwentyElementsAndEightChildrenEach) {
  // Eight groups of nine plain children, of which only the first eight are considered: the
  // window is element 1, group g (from 0) element 2 + 9g, and its children follow it.
  std::vector<std::shared_ptr<FakeElement>> groups;
  std::vector<std::shared_ptr<FakeElement>> leaves;
  for (int g = 0; g < 8; ++g) {
    groups.push_back(container("AXGroup"));
    for (int c = 0; c < 9; ++c) {
      leaves.push_back(element());
      adopt(*groups.back(), leaves.back());
    }
    adopt(*window, groups.back());
  }
  const std::tuple<std::shared_ptr<FakeElement>, bool, const char*> cases[] = {
      {leaves[8], false, "the ninth child of the first group is not considered"},
      {leaves[9 + 7], true, "element 19, the eighth child of the second group"},
      {groups[2], true, "element 20 is still examined"},
      {leaves[18], false, "element 21 is beyond the limit"},
      {groups[7], false, "late siblings are never reached"},
  };
  for (const auto& [holder, found, reason] : cases) {
    holder->attributes["AXIdentifier"] = text("IconView");
    EXPECT_EQ(snapshot().kind == Kind::document, found) << reason;
    holder->attributes.erase("AXIdentifier");
  }
  reads = 0;
  EXPECT_EQ(snapshot().kind, Kind::unavailable);
  EXPECT_LE(reads, 2 + 3 * 20) << "a window of 81 elements costs at most three reads for each of twenty";
}

// How long the pause still has to run: a held button gives no figure, so the whole window.
TEST_F(FinderWindowProbeTest, RecentInputOrAHeldButtonMeansTheUserIsBusy) {
  struct Case {
    std::map<InputEventType, double> seconds;
    std::uint32_t buttons;
    bool expected;
    double remaining;
    const char* reason;
  };
  std::vector<Case> cases = {
      {{}, 0, false, 0, "an idle session"},
      {{{InputEventType::keyDown, 0.5}}, 4, true, 2.0, "a button held down without moving"},
      {{{InputEventType::scrollWheel, 2.0}}, 0, false, 0, "two seconds ago is no longer now"},
      {{{InputEventType::keyDown, 1.5}, {InputEventType::mouseMoved, 0.5}}, 0, true, 1.5, "the latest event counts"},
  };
  for (int type = 0; type <= static_cast<int>(InputEventType::otherMouseDragged); ++type) {
    cases.push_back({{{static_cast<InputEventType>(type), 1.99}}, 0, true, 0.01, "any event under two seconds ago"});
  }
  for (const auto& c : cases) {
    input.seconds = c.seconds;
    input.buttons = c.buttons;
    const FinderWindowProbe probe(accessibility, input);
    const auto type = c.seconds.empty() ? -1 : static_cast<int>(c.seconds.begin()->first);
    EXPECT_EQ(probe.userIsInteracting(), c.expected) << c.reason << " " << type;
    EXPECT_NEAR(probe.interactionRemaining(), c.remaining, 1e-9) << c.reason << " " << type;
  }
}

}  // namespace
}  // namespace tidyframe
