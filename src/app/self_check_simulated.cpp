#include <filesystem>
#include <random>

#include "app/self_check.h"
#include "app/simulated_engine_host.h"
#include "base/virtual_dispatch.h"
#include "engine/app_model.h"
#include "finder/finder_menu_names.h"
#include "finder/finder_scripts.h"
#include "i18n/l.h"
#include "model/settings_document.h"

namespace tidyframe {

namespace {

constexpr const char* folder = "/Users/demo/Pictures";

// A simulated Mac in virtual time with one Finder window on the Pictures folder.
struct SimulatedDesk {
  SimulatedDesk() { sim.volumes.addFolder(folder); }

  int openWindow() {
    const int id = sim.finder().openWindow(folder);
    sim.finder().setFrontmost(true);
    return id;
  }

  std::expected<ScriptReply, ScriptError> run(std::string_view text) { return sim.host.compile(text)->execute(); }

  VirtualDispatch dispatch{Date{786000000}};
  std::shared_ptr<DispatchQueue> world = dispatch.makeSerialQueue("sim.world");
  SimulatedMac sim{dispatch, *world};
};

std::vector<std::string> titles(std::span<const std::string_view> names) { return {names.begin(), names.end()}; }

std::string checkQuery() {
  SimulatedDesk desk;
  const int window = desk.openWindow();
  const auto reply = desk.run(FinderScripts::query());
  if (!reply) return "the query failed: " + reply.error().description;
  if (reply->text(1) != "file:///Users/demo/Pictures/" || reply->text(2) != std::to_string(window)) {
    return "the query did not answer the front window";
  }
  return reply->text(3) == "icon view" ? std::string{} : "the query did not answer the view";
}

std::string checkArrangement() {
  SimulatedDesk desk;
  const int window = desk.openWindow();
  const auto script = FinderScripts::apply("file:///Users/demo/Pictures/", std::to_string(window),
                                           titles(menuNames(Grouping::size)), titles(menuNames(Sorting::modified)), false);
  const auto reply = desk.run(script);
  if (!reply) return "the arrangement failed: " + reply.error().description;
  if (reply->text(1) != "ok" || reply->text(2) != "None" || reply->text(3) != "Name") return "unexpected reply";
  const auto shown = desk.sim.finder().arrangement(folder, FinderView::icon);
  if (!shown.grouped || shown.groupKey != ArrangeKey::size || shown.sortKey != ArrangeKey::modified) {
    return "the window was not grouped by size and sorted by date modified";
  }
  return desk.sim.finder().openMenu() ? "a menu was left open" : std::string{};
}

std::string checkKeepHidden() {
  SimulatedDesk desk;
  desk.openWindow();
  desk.sim.finder().setShowsAllFiles(true);
  const auto reply = desk.run(FinderScripts::keepHidden());
  if (!reply || reply->text(1) != "ok") return "the key press did not answer ok";
  return desk.sim.finder().showsAllFiles() ? "dot files are still shown" : std::string{};
}

// The whole engine against the simulated Mac: a folder opened in the Finder gets the default
// arrangement within a few polls and the change is logged.
std::string checkEngine() {
  SimulatedDesk desk;
  const auto storage = std::filesystem::temp_directory_path() /
                       ("tidyframe-self-test-" + std::to_string(std::random_device{}()));
  Preferences preferences;
  preferences.engineEnabled = true;
  if (!Storage::save(toJson(preferences), storage / "preferences.json")) return "cannot write a settings file";
  desk.openWindow();
  L l({}, nullptr);
  l.setLanguage("zh-Hans");
  std::string problem;
  {
    SimulatedEngineHost host(desk.dispatch, desk.sim, l, storage, storage / "home");
    auto model = AppModel::create(host.services());
    desk.dispatch.advance(8);
    const auto shown = desk.sim.finder().arrangement(folder, FinderView::icon);
    if (!shown.grouped || shown.groupKey != ArrangeKey::kind) problem = "the open folder was not arranged";
    if (problem.empty() && (model->activities()->empty() || model->activities()->front().title != "已应用文件种类分组")) {
      problem = "the arrangement was not logged";
    }
    bool quit = false;
    model->prepareForQuit([&] { quit = true; });
    desk.dispatch.advance(5);
    if (problem.empty() && !quit) problem = "quitting did not finish";
  }
  std::filesystem::remove_all(storage);
  return problem;
}

}  // namespace

std::vector<SelfCheck> simulatedMacChecks() {
  return {
      {"simulated Mac: the query answers the front window", checkQuery},
      {"simulated Mac: the arrangement script groups and sorts", checkArrangement},
      {"simulated Mac: the hidden-file key press hides dot files", checkKeepHidden},
      {"engine: an opened folder is arranged and logged", checkEngine},
  };
}

}  // namespace tidyframe
