#include "sim/system_events_scripting.h"

#include <string>
#include <utility>
#include <vector>

#include "sim/applescript/script_object.h"

namespace tidyframe {

using applescript::PropertyValue;
using applescript::ScriptException;
using applescript::ScriptObject;
using applescript::ScriptObjectPtr;
using applescript::Specifier;
using applescript::SpecStep;
using applescript::Value;

// One element of the Finder's accessibility tree as System Events shows it.
struct UINode {
  enum class Role { other, menuBarItem, menu, menuItem };
  std::string cls;
  Value name = applescript::MissingValue{};
  std::vector<std::pair<std::string, Value>> attributes;
  const UINode* focused = nullptr;  // the process's AXFocusedUIElement
  std::vector<std::shared_ptr<UINode>> children;
  const UINode* parent = nullptr;
  Role role = Role::other;
  std::size_t menuBarIndex = 0;
  MenuCommand command;
  bool hasSubmenu = false;

  UINode& add(std::shared_ptr<UINode> child) {
    child->parent = this;
    children.push_back(std::move(child));
    return *children.back();
  }
  const Value* attribute(std::string_view key) const {
    for (const auto& [k, v] : attributes) {
      if (k == key) return &v;
    }
    return nullptr;
  }
};

namespace {

constexpr const char* systemEventsName = "System Events";

std::shared_ptr<UINode> node(std::string cls, Value name, std::string role) {
  auto n = std::make_shared<UINode>();
  n->cls = std::move(cls);
  n->name = std::move(name);
  n->attributes.emplace_back("AXRole", std::move(role));
  return n;
}

// ---- building the tree from the Finder's state

struct TreeBuilder {
  const SimFinder& finder;
  const UINode* focusedMenu = nullptr;
  const UINode* searchField = nullptr;
  const UINode* content = nullptr;
  const UINode* goToField = nullptr;
  const UINode* frontDialog = nullptr;

  std::shared_ptr<UINode> build() {
    auto process = node("application process", std::string("Finder"), "AXApplication");
    process->attributes.emplace_back("AXFrontmost", finder.frontmost());
    process->attributes.emplace_back("AXTitle", std::string("Finder"));
    for (const auto& w : finder.windows()) addWindow(*process, w);
    addMenuBar(*process);
    process->focused = focusedElement();
    return process;
  }

  const UINode* focusedElement() const {
    if (focusedMenu) return focusedMenu;
    if (goToField) return goToField;
    if (frontDialog) return frontDialog;
    if (finder.textFieldFocused() && searchField) return searchField;
    return content;
  }

  void addWindow(UINode& process, const SimFinderWindow& w) {
    bool front = &w == &finder.windows().front();
    bool main = &w == finder.mainWindow();
    std::shared_ptr<UINode> win;
    switch (w.kind) {
      case FinderWindowKind::browser: win = node("window", finderDisplayName(w.path), "AXWindow"); break;
      case FinderWindowKind::dialog: win = node("window", applescript::MissingValue{}, "AXWindow"); break;
      case FinderWindowKind::goToFolder: win = node("window", std::string("Go to Folder"), "AXWindow"); break;
      case FinderWindowKind::floating: win = node("window", applescript::MissingValue{}, "AXWindow"); break;
    }
    const char* subrole = w.kind == FinderWindowKind::browser    ? "AXStandardWindow"
                          : w.kind == FinderWindowKind::floating ? "AXSystemFloatingWindow"
                                                                 : "AXDialog";
    win->attributes.emplace_back("AXSubrole", std::string(subrole));
    win->attributes.emplace_back("AXMain", main);
    win->attributes.emplace_back("AXModal", w.modal);
    win->attributes.emplace_back("AXTitle", win->name);
    UINode& added = process.add(win);
    for (int i = 0; i < w.sheets; ++i) added.add(node("sheet", applescript::MissingValue{}, "AXSheet"));
    if (w.kind == FinderWindowKind::goToFolder) {
      added.attributes.emplace_back("AXIdentifier", std::string("GoToWindow"));
      UINode& field = added.add(node("text field", applescript::MissingValue{}, "AXTextField"));
      if (front) goToField = &field;
    }
    if (w.kind == FinderWindowKind::dialog) {
      added.add(node("button", std::string("OK"), "AXButton"));
      if (front) frontDialog = &added;
    }
    if (w.kind == FinderWindowKind::browser) addBrowserContent(added, w, main);
  }

  void addBrowserContent(UINode& win, const SimFinderWindow& w, bool main) {
    win.attributes.emplace_back("AXDocument", finderFolderUrl(w.path));
    UINode& split = win.add(node("splitter group", applescript::MissingValue{}, "AXSplitGroup"));
    UINode& scroll = split.add(node("scroll area", applescript::MissingValue{}, "AXScrollArea"));
    static constexpr const char* listRoles[] = {"AXList", "AXOutline", "AXBrowser", "AXGroup"};
    UINode& view = scroll.add(node("UI element", applescript::MissingValue{}, listRoles[static_cast<int>(w.view)]));
    view.attributes.emplace_back("AXIdentifier", std::string(finderViewIdentifier(w.view)));
    UINode& toolbar = win.add(node("toolbar", applescript::MissingValue{}, "AXToolbar"));
    UINode& field = toolbar.add(node("text field", applescript::MissingValue{}, "AXTextField"));
    field.attributes.emplace_back("AXSubrole", std::string("AXSearchField"));
    if (main) {
      content = &view;
      searchField = &field;
    }
  }

  void addMenuBar(UINode& process) {
    UINode& bar = process.add(node("menu bar", applescript::MissingValue{}, "AXMenuBar"));
    auto titles = finder.menuBarTitles();
    for (std::size_t i = 0; i < titles.size(); ++i) {
      UINode& item = bar.add(node("menu bar item", titles[i], "AXMenuBarItem"));
      item.role = UINode::Role::menuBarItem;
      item.menuBarIndex = i;
      UINode& menu = item.add(node("menu", titles[i], "AXMenu"));
      menu.role = UINode::Role::menu;
      if (i == SimFinder::viewMenuIndex) addViewMenuItems(menu);
      if (finder.openMenu() == i) focusedMenu = &menu;
    }
  }

  static UINode& menuItem(UINode& menu, Value title, std::optional<std::string> key, int modifiers, bool marked,
                          MenuCommand command) {
    UINode& item = menu.add(node("menu item", title, "AXMenuItem"));
    item.role = UINode::Role::menuItem;
    item.command = command;
    item.attributes.emplace_back("AXTitle", title);
    item.attributes.emplace_back("AXMenuItemMarkChar", marked ? Value(std::string("✓")) : Value(applescript::MissingValue{}));
    item.attributes.emplace_back("AXMenuItemCmdChar", key ? Value(*key) : Value(applescript::MissingValue{}));
    item.attributes.emplace_back("AXMenuItemCmdModifiers", modifiers);
    item.attributes.emplace_back("AXEnabled", true);
    return item;
  }

  static UINode& submenuItem(UINode& menu, const std::string& title) {
    UINode& item = menuItem(menu, title, std::nullopt, 0, false, {});
    item.hasSubmenu = true;
    UINode& sub = item.add(node("menu", title, "AXMenu"));
    sub.role = UINode::Role::menu;
    return sub;
  }

  void addViewMenuItems(UINode& menu) { addItems(menu, finderViewMenu(finder.titles(), finder.viewMenuContent())); }

  static void addItems(UINode& menu, const std::vector<ViewMenuItem>& items) {
    for (const auto& item : items) {
      if (item.hasSubmenu) {
        addItems(submenuItem(menu, *item.title), item.submenu);
        continue;
      }
      const Value title = item.title ? Value(*item.title) : Value(applescript::MissingValue{});
      menuItem(menu, title, item.commandKey, item.modifiers, item.marked, item.command);
    }
  }
};

// ---- the object model over the tree

SpecStep stepFor(const UINode& n) {
  if (!n.parent) return SpecStep::element(n.cls, SpecStep::Form::name, n.name);
  std::int64_t index = 0;
  std::int64_t position = 0;
  int sameName = 0;
  for (const auto& sibling : n.parent->children) {
    if (sibling->cls != n.cls) continue;
    ++index;
    if (sibling.get() == &n) position = index;
    if (n.name.is<std::string>() && sibling->name.is<std::string>() &&
        applescript::textEquals(sibling->name.as<std::string>(), n.name.as<std::string>())) {
      ++sameName;
    }
  }
  if (n.name.is<std::string>() && !n.name.as<std::string>().empty() && sameName == 1) {
    return SpecStep::element(n.cls, SpecStep::Form::name, n.name);
  }
  return SpecStep::element(n.cls, SpecStep::Form::index, position);
}

Specifier specifierOf(const UINode& n) {
  std::vector<SpecStep> steps;
  for (const UINode* at = &n; at; at = at->parent) steps.insert(steps.begin(), stepFor(*at));
  return Specifier{systemEventsName, std::move(steps)};
}

class ElementObject;

ScriptObjectPtr objectFor(const std::shared_ptr<UINode>& root, const UINode* n);

class AttributeObject final : public ScriptObject {
 public:
  AttributeObject(std::shared_ptr<UINode> root, const UINode* owner, std::string key)
      : root_(std::move(root)), owner_(owner), key_(std::move(key)) {}

  Specifier specifier() const override {
    Specifier spec = specifierOf(*owner_);
    spec.steps.push_back(SpecStep::element("attribute", SpecStep::Form::name, key_));
    return spec;
  }
  std::vector<ScriptObjectPtr> elements(std::string_view) const override { return {}; }
  std::optional<PropertyValue> property(std::string_view name) const override {
    if (name == "name") return Value(key_);
    if (name != "value") return std::nullopt;
    if (key_ == "AXFocusedUIElement") {
      if (!owner_->focused) return Value(applescript::MissingValue{});
      return objectFor(root_, owner_->focused);
    }
    const Value* v = owner_->attribute(key_);
    return v ? *v : Value(applescript::MissingValue{});
  }

 private:
  std::shared_ptr<UINode> root_;
  const UINode* owner_;
  std::string key_;
};

class ActionObject final : public ScriptObject {
 public:
  ActionObject(std::shared_ptr<UINode> root, const UINode* owner, std::string name)
      : root_(std::move(root)), owner_(owner), name_(std::move(name)) {}

  Specifier specifier() const override {
    Specifier spec = specifierOf(*owner_);
    spec.steps.push_back(SpecStep::element("action", SpecStep::Form::name, name_));
    return spec;
  }
  std::vector<ScriptObjectPtr> elements(std::string_view) const override { return {}; }
  std::optional<PropertyValue> property(std::string_view name) const override {
    if (name == "name") return Value(name_);
    return std::nullopt;
  }
  const UINode* owner() const { return owner_; }
  const std::string& name() const { return name_; }

 private:
  std::shared_ptr<UINode> root_;
  const UINode* owner_;
  std::string name_;
};

std::vector<std::string> actionsOf(const UINode& n) {
  switch (n.role) {
    case UINode::Role::menuBarItem: return {"AXPress", "AXCancel"};
    case UINode::Role::menu: return {"AXCancel"};
    case UINode::Role::menuItem: return {"AXPress", "AXCancel"};
    case UINode::Role::other: break;
  }
  return {"AXRaise"};
}

class ElementObject final : public ScriptObject {
 public:
  ElementObject(std::shared_ptr<UINode> root, const UINode* n) : root_(std::move(root)), node_(n) {}

  Specifier specifier() const override { return specifierOf(*node_); }

  std::vector<ScriptObjectPtr> elements(std::string_view cls) const override {
    std::vector<ScriptObjectPtr> out;
    if (cls == "attribute") {
      std::vector<std::string> keys;
      for (const auto& [k, v] : node_->attributes) keys.push_back(k);
      if (node_->focused || !node_->parent) keys.push_back("AXFocusedUIElement");
      for (auto& k : keys) out.push_back(std::make_shared<AttributeObject>(root_, node_, k));
      return out;
    }
    if (cls == "action") {
      for (auto& a : actionsOf(*node_)) out.push_back(std::make_shared<ActionObject>(root_, node_, a));
      return out;
    }
    for (const auto& child : node_->children) {
      if (cls == "UI element" || child->cls == cls) out.push_back(std::make_shared<ElementObject>(root_, child.get()));
    }
    return out;
  }

  ScriptObjectPtr element(std::string_view cls, std::string_view name) const override {
    if (cls == "attribute") {
      bool focusAttribute = name == "AXFocusedUIElement" && !node_->parent;
      if (!focusAttribute && !node_->attribute(name)) return nullptr;
      return std::make_shared<AttributeObject>(root_, node_, std::string(name));
    }
    return ScriptObject::element(cls, name);
  }

  std::optional<PropertyValue> property(std::string_view name) const override {
    if (name == "name") return node_->name;
    if (name == "class") return Value(applescript::Constant{node_->cls});
    static constexpr std::pair<std::string_view, std::string_view> attributeKeys[] = {
        {"role", "AXRole"},   {"subrole", "AXSubrole"},         {"title", "AXTitle"},
        {"value", "AXValue"}, {"description", "AXDescription"}, {"enabled", "AXEnabled"},
        {"frontmost", "AXFrontmost"}};
    for (const auto& [prop, key] : attributeKeys) {
      if (prop != name) continue;
      if (prop == "frontmost" && node_->parent) return std::nullopt;
      const Value* v = node_->attribute(key);
      return v ? *v : Value(applescript::MissingValue{});
    }
    return std::nullopt;
  }

  const UINode* node() const { return node_; }

 private:
  std::shared_ptr<UINode> root_;
  const UINode* node_;
};

ScriptObjectPtr objectFor(const std::shared_ptr<UINode>& root, const UINode* n) {
  return std::make_shared<ElementObject>(root, n);
}

// The application: its processes (only the Finder's, while it runs).
class SystemEventsObject final : public ScriptObject {
 public:
  explicit SystemEventsObject(std::shared_ptr<UINode> process) : process_(std::move(process)) {}

  Specifier specifier() const override { return Specifier{systemEventsName, {}}; }
  std::vector<ScriptObjectPtr> elements(std::string_view cls) const override {
    if (!process_ || (cls != "application process" && cls != "UI element")) return {};
    return {objectFor(process_, process_.get())};
  }
  std::optional<PropertyValue> property(std::string_view name) const override {
    if (name == "name") return Value(std::string(systemEventsName));
    return std::nullopt;
  }

 private:
  std::shared_ptr<UINode> process_;
};

bool hasModifier(const Value& modifiers, std::string_view name) {
  if (modifiers.is<applescript::Constant>()) return modifiers.as<applescript::Constant>().name == name;
  if (!modifiers.is<applescript::ValueList>()) return false;
  for (const auto& m : modifiers.as<applescript::ValueList>()) {
    if (m.is<applescript::Constant>() && m.as<applescript::Constant>().name == name) return true;
  }
  return false;
}

template <typename T>
std::shared_ptr<const T> single(const applescript::Resolution& r, const Specifier& spec, std::string_view verb) {
  if (!r.plural && r.items.size() == 1 && std::holds_alternative<ScriptObjectPtr>(r.items.front())) {
    if (auto object = std::dynamic_pointer_cast<const T>(std::get<ScriptObjectPtr>(r.items.front()))) return object;
  }
  throw ScriptException(-1708, applescript::describe(spec) + " doesn’t understand the “" + std::string(verb) + "” message.");
}

}  // namespace

SystemEventsScripting::SystemEventsScripting(SimFinder& finder) : finder_(finder) {}

SystemEventsScripting::~SystemEventsScripting() = default;

std::shared_ptr<UINode> SystemEventsScripting::tree() {
  if (!finder_.running()) return nullptr;
  if (!tree_ || treeGeneration_ != finder_.generation()) {
    tree_ = TreeBuilder{finder_}.build();
    treeGeneration_ = finder_.generation();
  }
  return tree_;
}

Value SystemEventsScripting::handle(const applescript::AppleEvent& event) {
  if (event.verb == "click") return click(event);
  if (event.verb == "perform") return perform(event);
  if (event.verb == "key code" || event.verb == "keystroke") return keyCode(event);
  if (event.verb == "activate") return applescript::MissingValue{};
  auto root = std::make_shared<SystemEventsObject>(tree());
  if (auto reply = applescript::answerObjectEvent(root, event)) return *reply;
  throw ScriptException(-1708, "System Events doesn’t understand the “" + event.verb + "” message.");
}

Value SystemEventsScripting::click(const applescript::AppleEvent& event) {
  auto root = std::make_shared<SystemEventsObject>(tree());
  auto target = single<ElementObject>(applescript::resolveSpecifier(root, event.target), event.target, "click");
  const UINode& n = *target->node();
  Value reply = std::make_shared<const Specifier>(target->specifier());
  std::string title = n.name.is<std::string>() ? n.name.as<std::string>() : std::string();
  if (n.role == UINode::Role::menuBarItem) finder_.pressMenuBarItem(n.menuBarIndex);
  if (n.role == UINode::Role::menuItem && n.hasSubmenu) finder_.pressSubmenuItem(title);
  if (n.role == UINode::Role::menuItem && !n.hasSubmenu) finder_.pressMenuItem(title, n.command);
  return reply;
}

Value SystemEventsScripting::perform(const applescript::AppleEvent& event) {
  auto root = std::make_shared<SystemEventsObject>(tree());
  auto action = single<ActionObject>(applescript::resolveSpecifier(root, event.target), event.target, "perform");
  const UINode& n = *action->owner();
  if (action->name() == "AXCancel") {
    finder_.cancelMenu();
    return applescript::MissingValue{};
  }
  if (action->name() == "AXPress") {
    applescript::AppleEvent click = event;
    click.target = specifierOf(n);
    return this->click(click);
  }
  return applescript::MissingValue{};
}

Value SystemEventsScripting::keyCode(const applescript::AppleEvent& event) {
  KeyPress key;
  key.keyCode = event.verb == "key code" ? static_cast<int>(applescript::numberValue(event.parameter)) : -1;
  key.command = hasModifier(event.modifiers, "command down");
  key.shift = hasModifier(event.modifiers, "shift down");
  key.option = hasModifier(event.modifiers, "option down");
  key.control = hasModifier(event.modifiers, "control down");
  finder_.pressKey(key);
  return applescript::MissingValue{};
}

}  // namespace tidyframe
