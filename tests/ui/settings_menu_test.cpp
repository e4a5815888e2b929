#include <filesystem>
#include <fstream>
#include <functional>

#include "ui/panel_fixture.h"
#include "ui/settings_menu.h"
#include "ui/setup_view.h"

namespace tidyframe {
namespace {

class SettingsMenuTest : public PanelTest {
 protected:
  SettingsMenu& menu() {
    panel->settingsMenu().rebuild();
    return panel->settingsMenu();
  }
  void choose(const char* name) {
    QAction* action = menu().item(name);
    ASSERT_NE(action, nullptr) << name;
    action->trigger();
  }
};

TEST_F(SettingsMenuTest, ItemsInOrderWithTheHandBackOnlyWhileABackupExists) {
  openPanel();
  const auto names = [this] {
    QStringList shown;
    for (QAction* action : menu().actions()) shown << (action->isSeparator() ? "-" : action->objectName());
    return shown.join(" ").toStdString();
  };
  const std::string common =
      "登录时启动 语言 外观 始终不显示隐藏文件 - 检查权限 规则备份 检查更新 更新频率 反馈 - 还原当前文件夹排列… ";
  EXPECT_EQ(names(), common + "退出Tidyframe");
  std::filesystem::create_directories(storageFolder() / "legacy-backup");
  std::ofstream(storageFolder() / "legacy-backup/migration.json") << "{}";
  EXPECT_EQ(names(), common + "恢复旧版后台服务… 退出Tidyframe");
}

TEST_F(SettingsMenuTest, ChoicesStoreRawValuesItemsReachTheirCommandsAndLanguagesAreNamedInThemselves) {
  openPanel();
  struct Row {
    const char* reason;
    const char* item;
    std::function<bool()> happened;
  };
  const Row rows[] = {
      {"appearance stores the raw value, not the word", "外观/light", [&] { return model->preferences()->appearance == "light"; }},
      {"and back to following the system", "外观/system", [&] { return model->preferences()->appearance == "system"; }},
      {"frequency stores its enumeration", "更新频率/daily",
       [&] { return model->preferences()->updateFrequency == SoftwareUpdateFrequency::daily; }},
      {"the hide toggle flips the setting", "始终不显示隐藏文件", [&] { return model->preferences()->hideOnNavigation; }},
      {"permissions open the guide", "检查权限", [&] { return model->showSetup().get(); }},
      {"feedback switches the page", "反馈", [&] { return model->selectedPage().get() == Page::feedback; }},
      {"importing asks for the file first", "导入", [&] { return !sim.alerts.panels().empty(); }},
      {"updates go to the shell's checker", "检查更新", [&] { return updateChecks == 1; }},
      {"quitting goes to the shell", "退出Tidyframe", [&] { return quits == 1; }},
      {"a dark panel opens a dark menu, its submenus too", "外观/dark",
       [&] {
         const QColor dark = panel->palette().color(QPalette::Window);
         return menu().palette().color(QPalette::Window) == dark &&
                menu().item("语言")->menu()->palette().color(QPalette::Window) == dark;
       }},
      {"a language stores its code and Arabic mirrors the panel", "语言/ar",
       [&] { return model->preferences()->language == "ar" && panel->layoutDirection() == Qt::RightToLeft; }},
  };
  for (const auto& row : rows) {
    choose(row.item);
    EXPECT_TRUE(row.happened()) << row.reason;
  }
  EXPECT_EQ(menu().item("语言/ar")->text(), "العربية") << "each language named in itself";
}

TEST_F(SettingsMenuTest, RestoreAndTheGuidesStartWaitWhileAScriptRuns) {
  openPanel({.language = "zh-Hans", .engineEnabled = true, .rules = {}});
  model->setShowSetup(true);
  QPushButton& start = panel->setup().startButton();
  openFolder(pictures);
  for (int step = 0; step < 500 && !model->busy().get(); ++step) advance(0.01);
  ASSERT_TRUE(model->busy().get()) << "the arrangement script runs";
  const auto enabled = [&] { return std::pair(menu().item("还原当前文件夹排列…")->isEnabled(), start.isEnabled()); };
  EXPECT_EQ(enabled(), std::pair(false, false));
  advance(5);
  EXPECT_EQ(enabled(), std::pair(true, true));
}

}  // namespace
}  // namespace tidyframe
