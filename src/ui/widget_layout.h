#pragma once

#include "engine/app_model.h"

namespace tidyframe {

// What decides the panel's height: the rule editor and the setup guide take precedence over
// the selected page.
struct PanelState {
  bool ruleEditorOpen = false;
  bool setupShown = false;
  Page page = Page::overview;
  double overviewHeight = 330;

  static PanelState of(const AppModel& model);
};

// The popover's metrics, in points.
namespace WidgetLayout {

inline constexpr int width = 320;
inline constexpr int controlInset = 31;
inline constexpr int switchWidth = 36;
inline constexpr double minimumOverviewHeight = 330;

double height(const PanelState& state);

// The overview's height from the summed heights of its parts: 12 points of air, whole
// points, never below the minimum.
double overviewHeight(double partsHeight);

// Whether a newly measured overview height is worth publishing: half-point jitter is not, so
// the popover does not oscillate.
bool overviewHeightMoved(double current, double measured);

}  // namespace WidgetLayout

}  // namespace tidyframe
