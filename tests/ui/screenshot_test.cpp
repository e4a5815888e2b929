#include <algorithm>
#include <functional>

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QAccessible>
#include <QLineEdit>
#include <QScrollArea>
#include <set>

#include "app/simulated_finder_window.h"
#include "ui/panel_fixture.h"
#include "i18n/app_language.h"
#include "ui/settings_menu.h"
#include "ui/setup_view.h"

namespace tidyframe {
namespace {

// How far a screenshot may drift from its reviewed reference (font hinting, antialiasing)
// before it counts as a change: a pixel differs when a channel moves by more than 24 of 255,
// and at most 0.5 percent of the pixels may differ.
constexpr int channelTolerance = 24;
constexpr double differingShare = 0.005;

double shareOfDifferentPixels(const QImage& shot, const QImage& reference) {
  if (shot.size() != reference.size()) return 1;
  const QImage a = shot.convertToFormat(QImage::Format_ARGB32);
  const QImage b = reference.convertToFormat(QImage::Format_ARGB32);
  qint64 differing = 0;
  for (int y = 0; y < a.height(); ++y) {
    const auto* rowA = reinterpret_cast<const QRgb*>(a.constScanLine(y));
    const auto* rowB = reinterpret_cast<const QRgb*>(b.constScanLine(y));
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = rowA[x], q = rowB[x];
      const int delta = std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                  std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
      if (delta > channelTolerance) ++differing;
    }
  }
  return static_cast<double>(differing) / (static_cast<double>(a.width()) * a.height());
}

class ScreenshotTest : public PanelTest {
 protected:
  // Writes `widget` as `name` beside the test program and compares it with the reviewed one in
  // the source tree; TIDYFRAME_UPDATE_SCREENSHOTS=1 replaces the reference after a deliberate
  // change.
  static void expectAsReviewed(QWidget& widget, const QString& name) {
    const QDir references(TIDYFRAME_SOURCE_DIR "/tests/ui/screenshots");
    QDir().mkpath("screenshots");
    const QImage shot = widget.grab().toImage();
    ASSERT_TRUE(shot.save("screenshots/" + name));
    if (qEnvironmentVariableIntValue("TIDYFRAME_UPDATE_SCREENSHOTS") == 1) {
      ASSERT_TRUE(shot.save(references.filePath(name)));
    }
    const QImage reference(references.filePath(name));
    EXPECT_LE(shareOfDifferentPixels(shot, reference), differingShare)
        << name.toStdString() << " changed or has no reviewed reference; review build/.../screenshots/" << name.toStdString();
  }

  // Every page and state a person can reach beyond the overview, each set up from the last.
  struct State {
    const char* name;
    std::function<void()> arrange;
  };
  std::vector<State> states() {
    return {
        {"overview", [this] { model->setSelectedPage(Page::overview); }},
        {"locations", [this] { model->setSelectedPage(Page::rules); }},
        {"editor-folder", [this] { model->setRuleEditor(model->preferences()->rules.front()); }},
        {"editor-device", [this] {
           LocationRule rule = model->preferences()->rules.back();
           rule.volumeID.reset();
           model->setRuleEditor(rule);
         }},
        {"setup", [this] {
           model->setRuleEditor(std::nullopt);
           model->setShowSetup(true);
         }},
        {"feedback", [this] {
           model->setShowSetup(false);
           model->setSelectedPage(Page::feedback);
         }},
        {"activity-empty", [this] {
           AppModelTestPeer::clearLog(*model);
           model->setSelectedPage(Page::activity);
         }},
        {"activity", [this] { logActivities(); }},
        {"menu", [this] {
           SettingsMenu& menu = panel->settingsMenu();
           menu.popup(panel->mapToGlobal(QPoint(0, 0)));
           // Wider than the small offscreen screen in some languages, which would cut it.
           menu.resize(menu.sizeHint());
         }},
    };
  }

  // Gives the panel its size for what it shows and waits until every layout has settled: a
  // language change rebuilds choices and sizes over several rounds of posted events. Answers
  // what is on screen: the menu while it is open, else the panel.
  QWidget& settle() {
    panel->setFixedSize(WidgetLayout::width, static_cast<int>(WidgetLayout::height(PanelState::of(*model))));
    for (int round = 0; round < 3; ++round) QApplication::processEvents();
    if (panel->settingsMenu().isVisible()) return panel->settingsMenu();
    return *panel;
  }

  // Wider than the panel, so a page that lets them widen it cuts off its trailing side.
  inline static const std::string longName = "Quarterly reports for the regional offices and partners";
  inline static const std::string longPath =
      SimHome::holidays + "/Lisbon and the Algarve coast in September/Day trips with the whole family";
  inline static const std::string longCard = "/Volumes/Canon EOS card from the summer trip to Lisbon";

  // An arrangement an hour ago in a folder with a long path, which can be undone; a failure
  // two minutes ago; a pause now.
  void logActivities() {
    ActivityEntry entry;
    entry.title = lookup->f("已应用%@分组", lookup->t("文件种类"));
    entry.detail = lookup->f("%@ · 按%@排序", lookup->t("全局默认"), lookup->t("名称"));
    entry.path = longPath;
    entry.success = true;
    entry.previousGroup = "None";
    entry.previousSort = "Name";
    entry.windowID = "7";
    AppModelTestPeer::log(*model, entry);
    advance(3600);
    ActivityEntry failure;
    failure.title = lookup->t("分组未完成");
    failure.detail = lookup->t("Finder 当前视图没有可用的分组菜单");
    AppModelTestPeer::log(*model, failure);
    advance(130);
    ActivityEntry pause;
    pause.title = lookup->t("自动分组已暂停");
    pause.detail = lookup->t("Finder 保留当前显示状态；可随时继续");
    pause.success = true;
    AppModelTestPeer::log(*model, pause);
  }

  void furnishRules(const char* language) {
    Preferences preferences = model->preferences().get();
    preferences.language = language;
    preferences.appearance = "light";
    preferences.rules = {
        LocationRule{.name = "Holidays 2026", .path = longPath, .volumeID = {}, .bookmark = {}},
        LocationRule{.name = longName, .path = reports, .volumeID = {}, .excluded = true, .bookmark = {}},
        LocationRule{.name = "Backup", .path = "/Volumes/Backup", .volumeID = "0C2F4B6A-1D3E-4F50-8A9B-7C6D5E4F3A21",
                     .scope = RuleScope::device, .bookmark = {}, .view = FinderViewChoice::list},
    };
    model->setPreferences(preferences);
    model->setMessage(std::nullopt);
  }
};

// No label or button anywhere shows less than its whole text: Qt elides or cuts a text that
// is wider than its widget, a container cuts a widget wider than itself, and a translation is
// often longer than the Chinese. A widget scrolled out of sight is not looked at.
std::vector<std::string> clippedTexts(QWidget& root) {
  std::vector<std::string> clipped;
  const auto check = [&clipped](const QWidget& widget, const QString& text, int available) {
    const QRegion shown = widget.visibleRegion();
    if (!widget.isVisibleTo(widget.window()) || text.isEmpty() || shown.isEmpty()) return;
    const bool cutOff = shown.boundingRect().width() < widget.width();
    if (cutOff || widget.fontMetrics().horizontalAdvance(text) > available) clipped.push_back(text.toStdString());
  };
  for (QLabel* label : root.findChildren<QLabel*>()) {
    if (!label->wordWrap() && label->pixmap().isNull()) check(*label, label->text(), label->contentsRect().width());
  }
  for (QAbstractButton* button : root.findChildren<QAbstractButton*>()) {
    const int icon = button->icon().isNull() ? 0 : button->iconSize().width() + 4;
    check(*button, button->text(), button->width() - 8 - icon);
  }
  for (QComboBox* box : root.findChildren<QComboBox*>()) check(*box, box->currentText(), box->width() - 28);
  // A placeholder is elided too; each symbol inside the field takes room from it.
  for (QLineEdit* field : root.findChildren<QLineEdit*>()) {
    if (field->text().isEmpty()) check(*field, field->placeholderText(), field->width() - 12 - 24 * field->actions().size());
  }
  return clipped;
}

// Where Tab goes next on what the panel shows.
std::vector<QWidget*> tabChain(QWidget& root) {
  std::vector<QWidget*> chain;
  for (QWidget* widget = root.nextInFocusChain(); widget != &root; widget = widget->nextInFocusChain()) {
    if ((widget->focusPolicy() & Qt::TabFocus) && widget->isVisibleTo(&root)) chain.push_back(widget);
  }
  return chain;
}

const QScrollArea* enclosingScrollArea(const QWidget& widget) {
  for (const QWidget* up = widget.parentWidget(); up; up = up->parentWidget()) {
    if (const auto* scroll = qobject_cast<const QScrollArea*>(up)) return scroll;
  }
  return nullptr;
}

// Whether `next` comes after `previous` when the page is read from the top, a row leading side
// first (the left in these languages). What a scroll area holds is read in its own order, and
// in the page's order where the scroll area is, however far it was scrolled.
bool readsAfter(const QWidget& previous, const QWidget& next) {
  const QScrollArea* scroll = enclosingScrollArea(previous);
  const bool together = scroll && scroll == enclosingScrollArea(next);
  const QWidget& frame = together ? *scroll->widget() : *previous.window();
  const auto place = [&](const QWidget& widget) {
    const QScrollArea* inside = enclosingScrollArea(widget);
    const QWidget& shown = inside && !together ? *inside : widget;
    return QRect(shown.mapTo(&frame, QPoint()), shown.size());
  };
  const QRect a = place(previous), b = place(next);
  if (b.top() > a.bottom()) return true;
  if (b.bottom() < a.top()) return false;
  return b.left() > a.right();
}

QString accessibleName(QWidget& widget) {
  QAccessibleInterface* face = QAccessible::queryAccessibleInterface(&widget);
  return face ? face->text(QAccessible::Name) : QString();
}

bool showsChinese(const QString& text) {
  return std::ranges::any_of(text, [](QChar c) { return c.unicode() >= 0x3000 && c.unicode() <= 0x9FFF; });
}

// A screen reader names every control Tab reaches: never nothing, never the untranslated
// source, never the same name twice on one page (which "Edit Rule" would be); and Tab reaches
// them in the order the page shows them.
TEST_F(ScreenshotTest, EveryFocusableWidgetIsNamedInTheShownLanguageAndTabFollowsThePage) {
  sim.mac.setAccessibilityTrusted(false);
  SimHome::insertCard(sim.volumes, card);
  openPanel();
  for (const char* language : {"en", "de"}) {
    furnishRules(language);
    for (const State& state : states()) {
      if (state.name == std::string("menu")) continue;
      state.arrange();
      settle();
      const auto where = std::string(state.name) + " in " + language;
      const auto chain = tabChain(*panel);
      EXPECT_GE(chain.size(), 3u) << where;
      std::set<QString> names;
      for (std::size_t i = 0; i < chain.size(); ++i) {
        const QString name = accessibleName(*chain[i]);
        const auto shown = where + ": " + chain[i]->metaObject()->className() + " \"" + name.toStdString() + "\"";
        EXPECT_FALSE(name.trimmed().isEmpty()) << shown;
        EXPECT_FALSE(showsChinese(name)) << shown;
        EXPECT_TRUE(names.insert(name).second) << shown << " twice";
        if (i > 0) {
          EXPECT_TRUE(readsAfter(*chain[i - 1], *chain[i]))
              << shown << " after \"" << accessibleName(*chain[i - 1]).toStdString() << "\"";
        }
      }
    }
    std::multiset<QString> steps;
    for (SymbolView* symbol : panel->setup().findChildren<SymbolView*>()) {
      if (!symbol->accessibleName().isEmpty()) steps.insert(symbol->accessibleName());
    }
    EXPECT_EQ(steps, (std::multiset<QString>{qtText(lookup->t("未允许")), qtText(lookup->t("已允许"))}))
        << "the setup guide's steps say whether they are granted, in " << language;
  }
}

// Every page in every language shows each text whole, and in four languages looks as reviewed.
// TIDYFRAME_REVIEW_SCREENSHOTS=1 writes every page in every language beside the test program,
// to be looked at; those are not compared with anything.
TEST_F(ScreenshotTest, NoTextIsClippedInAnyLanguageAndEveryPageLooksAsReviewedInFour) {
  const bool review = qEnvironmentVariableIntValue("TIDYFRAME_REVIEW_SCREENSHOTS") == 1;
  if (review) QDir().mkpath("screenshots/review");
  // The reviewed four first, in the order their references were taken: a page can keep a trace
  // of the language shown before it.
  std::vector<std::string> languages{"en", "zh-Hans", "ar", "de"};
  const std::size_t reviewed = languages.size();
  for (const auto& [language, code] : RawCases<AppLanguage>::cases) {
    if (language != AppLanguage::system && std::ranges::find(languages, code) == languages.end()) {
      languages.emplace_back(code);
    }
  }
  sim.mac.setAccessibilityTrusted(false);
  SimHome::insertCard(sim.volumes, longCard);
  openPanel();
  for (std::size_t i = 0; i < languages.size(); ++i) {
    furnishRules(languages[i].c_str());
    for (const State& state : states()) {
      state.arrange();
      QWidget& shown = settle();
      const QString name = QString("%1-%2.png").arg(state.name, languages[i].c_str());
      if (review) shown.grab().save("screenshots/review/" + name);
      EXPECT_EQ(clippedTexts(shown), std::vector<std::string>{}) << state.name << " in " << languages[i];
      if (i < reviewed) expectAsReviewed(shown, name);
      panel->settingsMenu().hide();
    }
  }
}

// The overview at work: a folder with a long name in front, arranged by the global default,
// a message in the banner, twelve rules. (The clipping test shows it to a new user.)
TEST_F(ScreenshotTest, OverviewLooksAsReviewedInEachLanguageAndAppearance) {
  sim.volumes.addFolder(longPath);
  openFolder(longPath);
  openPanel(engineOn());
  advance(6);
  for (const char* language : {"en", "zh-Hans", "ar", "de"}) {
    for (const char* appearance : {"light", "dark"}) {
      Preferences preferences = model->preferences().get();
      preferences.language = language;
      preferences.appearance = appearance;
      preferences.rules.resize(12);
      model->setPreferences(preferences);
      model->setMessage(lookup->t("请为 Tidyframe开启辅助功能权限。"));
      advance(3);
      expectAsReviewed(settle(), QString("overview-%1-%2.png").arg(language, appearance));
    }
  }
}

// The Simulated Finder window on Downloads, whose items were added over a year, in icon and list
// view grouped by kind and by date added, each text whole.
TEST_F(ScreenshotTest, SimulatedFinderWindowShowsGroupedItemsAsReviewed) {
  SimulatedFinderWindow window(sim, tables, {});
  window.resize(860, 600);
  window.show();
  window.openFolder(SimHome::downloads);
  for (const char* language : {"en", "zh-Hans", "ar"}) {
    tables.setLanguage(language);
    for (const auto& [view, viewName] : {std::pair{FinderView::icon, "icon"}, std::pair{FinderView::list, "list"}}) {
      for (const auto& [key, keyName] : {std::pair{ArrangeKey::kind, "kind"}, std::pair{ArrangeKey::added, "added"}}) {
        {
          const auto locked = sim.lockWorld();
          sim.finder().setArrangement(SimHome::downloads, view, {true, key, ArrangeKey::name});
        }
        window.setView(view);
        QApplication::processEvents();
        const QString name = QString("finder-%1-%2-%3.png").arg(viewName, keyName, language);
        EXPECT_EQ(clippedTexts(window), std::vector<std::string>{}) << name.toStdString();
        expectAsReviewed(window, name);
      }
    }
  }
}

}  // namespace
}  // namespace tidyframe
