#include "finder/finder_window_probe.h"

#include <algorithm>
#include <array>
#include <limits>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/accessibility.h"
#include "platform/input_state.h"

namespace tidyframe {

namespace {

constexpr std::array<std::string_view, 4> viewIdentifiers{"IconView", "ListView", "ColumnView", "GalleryView"};
constexpr std::array<std::string_view, 4> containerRoles{"AXWindow", "AXSplitGroup", "AXScrollArea", "AXGroup"};
constexpr int maxExamined = 20;
constexpr std::size_t maxChildren = 8;
constexpr int maxContainerDepth = 2;

constexpr std::array interactionEvents{
    InputEventType::keyDown,          InputEventType::keyUp,          InputEventType::flagsChanged,
    InputEventType::mouseMoved,       InputEventType::scrollWheel,    InputEventType::leftMouseDown,
    InputEventType::leftMouseUp,      InputEventType::leftMouseDragged, InputEventType::rightMouseDown,
    InputEventType::rightMouseUp,     InputEventType::rightMouseDragged, InputEventType::otherMouseDown,
    InputEventType::otherMouseUp,     InputEventType::otherMouseDragged,
};

template <std::size_t N>
bool isOneOf(std::string_view text, const std::array<std::string_view, N>& choices) {
  return std::ranges::find(choices, text) != choices.end();
}

// The text of an attribute, or nothing when it cannot be read or is not text.
std::optional<std::string> textAttribute(const AccessibilityElement& element, std::string_view name) {
  auto value = element.attribute(name);
  if (!value) return std::nullopt;
  if (auto* text = std::get_if<std::string>(&*value)) return std::move(*text);
  return std::nullopt;
}

// Depth-first in the children's natural order, bounded so that a deep or wide window never
// costs more than a few dozen reads.
std::optional<std::string> findViewIdentifier(const AccessibilityElementRef& window) {
  std::vector<std::pair<AccessibilityElementRef, int>> stack{{window, 0}};
  int examined = 0;
  while (!stack.empty() && examined < maxExamined) {
    auto [element, depth] = std::move(stack.back());
    stack.pop_back();
    ++examined;
    if (auto identifier = textAttribute(*element, "AXIdentifier"); identifier && isOneOf(*identifier, viewIdentifiers)) {
      return identifier;
    }
    if (depth > maxContainerDepth) continue;
    const auto role = textAttribute(*element, "AXRole");
    if (!role || !isOneOf(*role, containerRoles)) continue;
    auto children = element->attribute("AXChildren");
    auto* elements = children ? std::get_if<std::vector<AccessibilityElementRef>>(&*children) : nullptr;
    if (!elements) continue;
    const auto considered = std::min(elements->size(), maxChildren);
    for (std::size_t i = considered; i-- > 0;) {
      if ((*elements)[i]) stack.emplace_back((*elements)[i], depth + 1);
    }
  }
  return std::nullopt;
}

}  // namespace

FinderWindowProbe::FinderWindowProbe(Accessibility& accessibility, const InputState& input)
    : accessibility_(accessibility), input_(input) {}

FinderWindowProbe::Snapshot FinderWindowProbe::snapshot(std::int32_t finderPid) const {
  const auto application = accessibility_.applicationElement(finderPid, messagingTimeout);
  if (!application) return Snapshot::unavailable();
  const auto focused = application->attribute("AXFocusedWindow");
  if (!focused) {
    return focused.error() == accessibility_error::noValue ? Snapshot::noWindow() : Snapshot::unavailable();
  }
  const auto* window = std::get_if<AccessibilityElementRef>(&*focused);
  if (!window || !*window) return Snapshot::unavailable();
  const auto document = textAttribute(**window, "AXDocument");
  if (!document || document->empty()) return Snapshot::unavailable();
  const auto view = findViewIdentifier(*window);
  if (!view) return Snapshot::unavailable();
  return Snapshot::document(std::to_string(finderPid) + ":" + std::to_string((*window)->hash()) + ":" + *document +
                            ":" + *view);
}

bool FinderWindowProbe::userIsInteracting() const { return interactionRemaining() > 0; }

double FinderWindowProbe::interactionRemaining() const {
  if (input_.pressedMouseButtons() != 0) return interactionWindow;
  return std::max(0.0, interactionWindow - secondsSinceLastInput());
}

double FinderWindowProbe::secondsSinceLastInput() const {
  if (input_.pressedMouseButtons() != 0) return 0;
  double latest = std::numeric_limits<double>::infinity();
  for (const auto type : interactionEvents) latest = std::min(latest, input_.secondsSinceLastEvent(type));
  return latest;
}

}  // namespace tidyframe
