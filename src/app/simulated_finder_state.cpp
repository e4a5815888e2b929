#include "app/simulated_finder_state.h"

#include <array>
#include <vector>

#include "sim/sim_home.h"

namespace tidyframe::SimulatedFinderState {

namespace {

constexpr std::array views{FinderView::icon, FinderView::list, FinderView::column, FinderView::gallery};

std::optional<FinderView> viewNamed(const Json& name) {
  if (!name.is_string()) return std::nullopt;
  for (const auto view : views) {
    if (finderViewScriptingName(view) == name.get<std::string>()) return view;
  }
  return std::nullopt;
}

// A number in [0, count), else nothing.
std::optional<int> indexIn(const Json& value, std::size_t count) {
  if (!value.is_number_integer()) return std::nullopt;
  const auto number = value.get<std::int64_t>();
  if (number < 0 || number >= static_cast<std::int64_t>(count)) return std::nullopt;
  return static_cast<int>(number);
}

bool isFolderPath(const Json& path) { return path.is_string() && path.get<std::string>().starts_with('/'); }

Json arrangements(const SimFinder& finder) {
  Json list = Json::array();
  for (const auto& [place, a] : finder.arrangements()) {
    list.push_back({{"path", place.first}, {"view", finderViewScriptingName(place.second)}, {"grouped", a.grouped},
                    {"group", static_cast<int>(a.groupKey)}, {"sort", static_cast<int>(a.sortKey)}});
  }
  return list;
}

void restoreArrangement(SimFinder& finder, const Json& entry) {
  if (!entry.is_object() || !isFolderPath(entry.value("path", Json()))) return;
  const auto view = viewNamed(entry.value("view", Json()));
  const auto group = indexIn(entry.value("group", Json()), arrangeKeyCount);
  const auto sort = indexIn(entry.value("sort", Json()), arrangeKeyCount);
  const Json grouped = entry.value("grouped", Json());
  if (!view || !group || !sort || !grouped.is_boolean()) return;
  finder.setArrangement(entry["path"].get<std::string>(), *view,
                        {grouped.get<bool>(), static_cast<ArrangeKey>(*group), static_cast<ArrangeKey>(*sort)});
}

void restoreCard(SimulatedMac& mac, const Json& mountPath) {
  if (const auto now = cardMountPath(mac.volumes)) mac.volumes.unmount(*now);
  if (isFolderPath(mountPath)) SimHome::insertCard(mac.volumes, mountPath.get<std::string>());
}

}  // namespace

std::optional<std::string> cardMountPath(SimVolumeCatalog& volumes) {
  for (const auto& path : volumes.mountedVolumePaths()) {
    const auto values = volumes.volumeValues(path);
    if (values && values->uuid == SimHome::cardUuid) return path;
  }
  return std::nullopt;
}

Json capture(SimulatedMac& mac) {
  SimFinder& finder = mac.finder();
  Json windows = Json::array();
  for (const auto& window : finder.windows()) {
    if (window.kind != FinderWindowKind::browser) continue;
    windows.push_back({{"path", window.path}, {"view", finderViewScriptingName(window.view)}});
  }
  Json state{{"windows", windows},
             {"arrangements", arrangements(finder)},
             {"showsAllFiles", finder.showsAllFiles()},
             {"language", static_cast<int>(finder.menuStyle().language)}};
  if (const auto card = cardMountPath(mac.volumes)) state["card"] = *card;
  return state;
}

bool restore(SimulatedMac& mac, const Json& state) {
  if (!state.is_object() || !state.value("windows", Json()).is_array()) return false;
  SimFinder& finder = mac.finder();
  std::vector<int> open;
  for (const auto& window : finder.windows()) open.push_back(window.id);
  for (const int id : open) finder.closeWindow(id);
  restoreCard(mac, state.value("card", Json()));
  const Json& windows = state["windows"];
  for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
    const auto view = it->is_object() ? viewNamed(it->value("view", Json())) : std::nullopt;
    if (view && isFolderPath(it->value("path", Json()))) finder.openWindow((*it)["path"].get<std::string>(), *view);
  }
  for (const auto& entry : state.value("arrangements", Json::array())) restoreArrangement(finder, entry);
  finder.setShowsAllFiles(state.value("showsAllFiles", Json()).is_boolean() && state["showsAllFiles"].get<bool>());
  if (const auto language = indexIn(state.value("language", Json()), allFinderMenuLanguages.size())) {
    FinderMenuStyle style;
    style.language = allFinderMenuLanguages[static_cast<std::size_t>(*language)];
    finder.setMenuStyle(style);
  }
  return true;
}

}  // namespace tidyframe::SimulatedFinderState
