#pragma once

#include <memory>

#include <QApplication>

#include "engine/engine_fixture.h"
#include "ui/root_view.h"
#include "ui/widget_layout.h"

namespace tidyframe {

// The panel over an engine in virtual time on the simulated Mac.
class PanelTest : public EngineTest {
 protected:
  PanelTest() { lookup = &tables; }
  ~PanelTest() override { panel.reset(); }

  void openPanel(const Preferences& preferences = {.language = "zh-Hans", .rules = {}}) {
    tables.setLanguage("zh-Hans");
    launch(preferences);
    panel = std::make_unique<RootView>(*model, *lookup, QApplication::palette(),
                                       PanelServices{sim.alerts, dispatch, host->services().home, {"1.0", {"macOS", "14.5"}}, [this] { ++updateChecks; },
                                                     [this] { ++quits; }});
    panel->resize(WidgetLayout::width, static_cast<int>(WidgetLayout::height(PanelState::of(*model))));
    panel->show();
  }

  std::unique_ptr<RootView> panel;
  int updateChecks = 0;
  int quits = 0;
};

}  // namespace tidyframe
