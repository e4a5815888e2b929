#pragma once

#include <functional>
#include <memory>
#include <sstream>
#include <string>

#include "app/scratch_folder.h"
#include "app/simulated_engine_host.h"
#include "base/virtual_dispatch.h"
#include "engine/app_model.h"
#include "i18n/l.h"
#include "model/settings_document.h"
#include "sim/sim_home.h"
#include "sim/simulated_mac.h"
#include "storage/storage.h"

namespace tidyframe {

inline const std::string& pictures = SimHome::pictures;

// A user's Mac in virtual time: the engine on, Pictures open in the front Finder window and
// already arranged and confirmed, and `logged` older entries in the activity log (at most 500
// are kept, as after a long session). `prepare` may change the settings and the Mac before the
// engine starts.
class ArrangedFolder {
 public:
  using Preparation = std::function<void(Preferences&, SimulatedMac&)>;

  // With `traced`, the engine writes its diagnostic lines, so checks can be counted.
  explicit ArrangedFolder(std::size_t logged, const Preparation& prepare = {}, bool traced = false) {
    SimHome::furnish(sim.volumes);
    Preferences preferences;
    preferences.engineEnabled = true;
    ActivityEntry entry;
    entry.date = Date{785000000};
    entry.title = "已应用文件种类分组";
    entry.detail = "全局默认 · 按名称排序";
    entry.path = pictures;
    const std::vector<ActivityEntry> log(logged, entry);
    sim.finder().openWindow(pictures);
    if (prepare) prepare(preferences, sim);
    const Storage storage(folder.path() / "storage");
    if (!Storage::save(toJson(preferences), storage.preferencesURL()) || !Storage::save(log, storage.activityURL())) {
      return;
    }
    host = std::make_unique<SimulatedEngineHost>(dispatch, sim, l, storage.directory(), folder.path() / "home",
                                                 traced ? &diagnostics : nullptr);
    launched = dispatch.now();
    model = AppModel::create(host->services());
    dispatch.advance(6);
  }
  ~ArrangedFolder() {
    if (!model) return;
    bool done = false;
    model->prepareForQuit([&] { done = true; });
    for (int i = 0; i < 100 && !done; ++i) dispatch.advance(0.1);
  }

  // Why the scene is not as described, or empty.
  std::string fault() const {
    if (!model) return "the engine was not started";
    if (model->currentPath().get() != pictures) return "the folder was not arranged";
    return {};
  }
  int appleEvents() const { return sim.mac.appleEvents(); }
  // Looks at the front Finder window the engine made since the last call (traced scenes only).
  int checks() {
    const std::string lines = diagnostics.str();
    diagnostics.str({});
    int count = lines.starts_with("tick ") ? 1 : 0;
    for (auto at = lines.find("\ntick "); at != std::string::npos; at = lines.find("\ntick ", at + 1)) ++count;
    return count;
  }

  ScratchFolder folder{"tidyframe-bench-"};
  VirtualDispatch dispatch{Date{786000000}};
  std::shared_ptr<DispatchQueue> world = dispatch.makeSerialQueue("sim.world");
  SimulatedMac sim{dispatch, *world};
  L l{{}, nullptr};
  std::ostringstream diagnostics;
  // When the engine, and with it the poll timer, started.
  Date launched;
  std::unique_ptr<SimulatedEngineHost> host;
  std::shared_ptr<AppModel> model;
};

}  // namespace tidyframe
