#include "ui/widget_layout.h"

#include <algorithm>
#include <cmath>

namespace tidyframe {

PanelState PanelState::of(const AppModel& model) {
  return {model.ruleEditor()->has_value(), model.showSetup().get(), model.selectedPage().get(),
          model.overviewHeight().get()};
}

namespace WidgetLayout {

double height(const PanelState& state) {
  if (state.ruleEditorOpen) return 490;
  if (state.setupShown) return 410;
  switch (state.page) {
    case Page::overview: return state.overviewHeight;
    case Page::rules:
    case Page::activity: return 330;
    case Page::feedback: return 350;
  }
  return state.overviewHeight;
}

double overviewHeight(double partsHeight) {
  return std::max(minimumOverviewHeight, std::ceil(partsHeight + 12));
}

bool overviewHeightMoved(double current, double measured) { return std::abs(current - measured) > 0.5; }

}  // namespace WidgetLayout

}  // namespace tidyframe
