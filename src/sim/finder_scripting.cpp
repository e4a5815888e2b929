#include "sim/finder_scripting.h"

#include <string>
#include <utility>

#include "sim/applescript/script_object.h"
#include "sim/sim_ports.h"

namespace tidyframe {

using applescript::PropertyValue;
using applescript::ScriptException;
using applescript::ScriptObject;
using applescript::ScriptObjectPtr;
using applescript::Specifier;
using applescript::SpecStep;
using applescript::Value;

namespace {

constexpr const char* finderName = "Finder";

// An item of a folder, by name; dot files are not among a folder's items.
class ItemObject final : public ScriptObject {
 public:
  ItemObject(std::string folder, FinderItem item) : folder_(std::move(folder)), item_(std::move(item)) {}

  Specifier specifier() const override {
    return Specifier{finderName, {SpecStep::element("folder", SpecStep::Form::name, folder_),
                                  SpecStep::element("item", SpecStep::Form::name, item_.name)}};
  }
  std::vector<ScriptObjectPtr> elements(std::string_view) const override { return {}; }
  std::optional<PropertyValue> property(std::string_view name) const override {
    if (name == "name") return Value(item_.name);
    if (name == "kind") return Value(item_.kindName);
    return std::nullopt;
  }

 private:
  std::string folder_;
  FinderItem item_;
};

class FolderObject final : public ScriptObject {
 public:
  FolderObject(std::string path, const SimFinder& finder) : path_(std::move(path)), finder_(finder) {}

  Specifier specifier() const override {
    return Specifier{finderName, {SpecStep::element("folder", SpecStep::Form::name, path_)}};
  }
  std::vector<ScriptObjectPtr> elements(std::string_view cls) const override {
    std::vector<ScriptObjectPtr> out;
    if (!finder_.fileSystem()) return out;
    for (auto& item : finder_.fileSystem()->items(path_)) {
      const bool folder = item.kind == ItemKind::folder;
      const bool wanted = cls == "item" || (cls == "folder" && folder) || (cls == "file" && !folder);
      if (wanted && !item.isDotFile()) out.push_back(std::make_shared<ItemObject>(path_, std::move(item)));
    }
    return out;
  }
  std::optional<PropertyValue> property(std::string_view name) const override {
    if (name == "URL") return url();
    if (name == "name") return Value(finderDisplayName(path_));
    return std::nullopt;
  }

 private:
  Value url() const {
    const auto* place = finderSpecialPlace(path_);
    if (!place) return Value(finderFolderUrl(path_));
    if (!place->url) throw ScriptException(-1728, "Can’t get URL of target of Finder window 1.");
    return Value(std::string(*place->url));
  }

  std::string path_;
  const SimFinder& finder_;
};

class FinderWindowObject final : public ScriptObject {
 public:
  FinderWindowObject(SimFinderWindow window, const SimFinder& finder) : window_(std::move(window)), finder_(finder) {}

  const SimFinderWindow& window() const { return window_; }

  Specifier specifier() const override {
    return Specifier{finderName, {SpecStep::element("Finder window", SpecStep::Form::id, window_.id)}};
  }
  std::vector<ScriptObjectPtr> elements(std::string_view) const override { return {}; }
  std::optional<PropertyValue> property(std::string_view name) const override {
    if (name == "id") return Value(window_.id);
    if (name == "target") return std::make_shared<FolderObject>(window_.path, finder_);
    if (name == "current view") return Value(applescript::Constant{std::string(finderViewScriptingName(window_.view))});
    if (name == "name") return Value(finderDisplayName(window_.path));
    return std::nullopt;
  }

 private:
  SimFinderWindow window_;
  const SimFinder& finder_;
};

class FinderObject final : public ScriptObject {
 public:
  explicit FinderObject(const SimFinder& finder) : finder_(finder) {}

  Specifier specifier() const override { return Specifier{finderName, {}}; }
  std::vector<ScriptObjectPtr> elements(std::string_view cls) const override {
    std::vector<ScriptObjectPtr> out;
    if (cls != "Finder window" && cls != "window") return out;
    for (const auto& w : finder_.windows()) {
      if (w.kind == FinderWindowKind::browser) out.push_back(std::make_shared<FinderWindowObject>(w, finder_));
    }
    return out;
  }
  std::optional<PropertyValue> property(std::string_view name) const override {
    if (name == "name") return Value(std::string(finderName));
    if (name == "frontmost") return Value(finder_.frontmost());
    return std::nullopt;
  }

 private:
  const SimFinder& finder_;
};

// The view a `set current view` names: the gallery answers to both of its terms.
std::optional<FinderView> settableView(const Value& value) {
  if (!value.is<applescript::Constant>()) return std::nullopt;
  const auto& name = value.as<applescript::Constant>().name;
  if (name == "flow view") return FinderView::gallery;
  for (const auto view : {FinderView::icon, FinderView::list, FinderView::column, FinderView::gallery}) {
    if (name == finderViewScriptingName(view)) return view;
  }
  return std::nullopt;
}

}  // namespace

// Only a window's current view can be set. A window that shows no folder (Recents, a search)
// refuses with the Finder's generic handler failure (inferred, not observed).
Value FinderScripting::set(const applescript::AppleEvent& event, const ScriptObjectPtr& root) {
  const auto& steps = event.target.steps;
  const auto refuse = [&](std::int64_t number) -> Value {
    throw ScriptException(number, "Finder got an error: Can’t set " + applescript::describe(event.target) + " to " +
                                      applescript::describe(event.parameter) + ".");
  };
  if (steps.empty() || steps.back().kind != SpecStep::Kind::property || steps.back().term != "current view") {
    return refuse(-10006);
  }
  const Specifier owner{event.target.application, {steps.begin(), steps.end() - 1}};
  const auto found = applescript::resolveSpecifier(root, owner);
  const auto* object = found.items.size() == 1 && !found.plural ? std::get_if<ScriptObjectPtr>(&found.items[0]) : nullptr;
  const auto window = object ? std::dynamic_pointer_cast<const FinderWindowObject>(*object) : nullptr;
  const auto view = settableView(event.parameter);
  if (!window || !view) return refuse(-10006);
  if (finderSpecialPlace(window->window().path)) throw ScriptException(-10000, "Finder got an error: AppleEvent handler failed.");
  finder_.setView(window->window().id, *view);
  return applescript::MissingValue{};
}

Value FinderScripting::handle(const applescript::AppleEvent& event) {
  if (event.verb == "activate") {
    finder_.launch();
    finder_.setFrontmost(true);
    return applescript::MissingValue{};
  }
  if (!finder_.running()) throw ScriptException(-600, "Application isn’t running.");
  auto root = std::make_shared<FinderObject>(finder_);
  if (event.verb == "set") return set(event, root);
  if (auto reply = applescript::answerObjectEvent(root, event)) return *reply;
  throw ScriptException(-1708, "Finder doesn’t understand the “" + event.verb + "” message.");
}

}  // namespace tidyframe
