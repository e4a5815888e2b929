#include "sim/finder_scripting.h"

#include <string>

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

}  // namespace

Value FinderScripting::handle(const applescript::AppleEvent& event) {
  if (event.verb == "activate") {
    finder_.launch();
    finder_.setFrontmost(true);
    return applescript::MissingValue{};
  }
  if (!finder_.running()) throw ScriptException(-600, "Application isn’t running.");
  auto root = std::make_shared<FinderObject>(finder_);
  if (auto reply = applescript::answerObjectEvent(root, event)) return *reply;
  throw ScriptException(-1708, "Finder doesn’t understand the “" + event.verb + "” message.");
}

}  // namespace tidyframe
