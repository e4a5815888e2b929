#include "engine/engine_fixture.h"

namespace tidyframe {
namespace {

class Commands : public EngineTest {
 protected:
  const std::vector<LocationRule>& rules() const { return model->preferences()->rules; }
};

TEST_F(Commands, ChoosingAFolderOrDeviceOpensItsRuleElseANewOne) {
  const LocationRule device{
      .name = "SD", .path = card, .volumeID = cardUuid, .scope = RuleScope::device, .bookmark = {}};
  launch({.grouping = Grouping::size, .engineEnabled = true, .rules = {pathRule(pictures), device}});
  sim.bookmarks.setReachable(documents, true);
  sim.alerts.answerPanel("/Users/demo//Pictures/");
  model->chooseFolder(true);
  EXPECT_EQ(model->ruleEditor().get(), rules()[0]) << "paths equal after normalisation are one folder";
  EXPECT_EQ(sim.alerts.panels().back(),
            FilePanelRequest::folder("选择保持原有 Finder 显示设置的文件夹", "选择文件夹"));
  sim.alerts.answerPanel(documents);
  model->chooseFolder(false);
  auto made = *model->ruleEditor().get();
  EXPECT_EQ(made.name, "Documents");
  EXPECT_EQ(made.path, documents);
  EXPECT_TRUE(made.includeChildren && made.enabled && !made.excluded && made.bookmark);
  EXPECT_EQ(made.grouping, Grouping::size) << "a new rule starts from the global default";
  model->chooseFolder(false);
  EXPECT_EQ(model->ruleEditor().get(), made) << "a cancelled panel changes nothing";
  EXPECT_EQ(sim.alerts.activations(), 3) << "every panel comes to the front first";

  model->editDevice({.name = "Renamed", .path = "/Volumes/Renamed", .uuid = cardUuid});
  EXPECT_EQ(model->ruleEditor().get(), rules()[1]) << "a renamed, re-mounted card keeps its rule";
  model->editDevice({.name = "SD", .path = card, .uuid = otherCard});
  made = *model->ruleEditor().get();
  EXPECT_NE(made.id, rules()[1].id) << "another card under the same name gets a rule of its own";
  EXPECT_EQ(made.volumeID, otherCard);
  EXPECT_EQ(made.scope, RuleScope::device);
  EXPECT_EQ(rules().size(), 2u) << "preparing a rule saves nothing";
}

TEST_F(Commands, SavingAndDeletingRules) {
  launch({.engineEnabled = true, .rules = {pathRule(pictures), pathRule(documents)}});
  auto edited = rules()[0];
  edited.name = " \n\u3000";
  edited.excluded = true;
  model->saveRule(edited);
  model->saveRule(pathRule(reports, Grouping::size));
  EXPECT_EQ(rules()[0].name, "Pictures") << "a blank name stores the folder's last component";
  EXPECT_EQ(rules()[0].id, edited.id) << "an existing id keeps its position";
  EXPECT_EQ(rules()[2].path, reports) << "a new id is appended";
  EXPECT_EQ(activityTitles(), (std::vector<std::string>{"规则已保存", "规则已保存"}));
  EXPECT_EQ(model->activities()->at(1).detail, "Pictures · 保持原有设置");
  EXPECT_EQ(model->activities()->at(0).detail, "Reports · 文件大小");
  EXPECT_FALSE(model->ruleEditor().get());

  advance(1);
  std::filesystem::remove(storageFolder() / "preferences.json");
  model->deleteRule("not-a-rule");
  advance(1);
  EXPECT_EQ(rules().size(), 3u);
  EXPECT_TRUE(std::filesystem::exists(storageFolder() / "preferences.json")) << "deleting still saves";
  model->deleteRule(edited.id);
  EXPECT_EQ(rules()[0].path, documents);
}

TEST_F(Commands, ExportWritesThePortableForm) {
  auto rule = pathRule(pictures);
  rule.bookmark = Bytes{1, 2, 3};
  rule.volumeID = rootUuid;
  const Preferences preferences{.engineEnabled = true, .rules = {rule}};
  launch(preferences);
  const auto target = root / "out" / "rules.json";
  sim.alerts.answerPanel(target.string());
  model->exportPreferences();
  EXPECT_EQ(sim.alerts.panels().back(), FilePanelRequest::save("Tidyframe规则.json", {"json"}));
  auto portable = preferences;
  portable.engineEnabled = false;
  portable.rules[0].bookmark.reset();
  EXPECT_EQ(Storage::read<Preferences>(target), portable) << "only the switch and the bookmarks stay behind";
  EXPECT_EQ(model->preferences().get(), preferences) << "the live settings keep bookmarks and the switch";
  sim.alerts.answerPanel((root / "out" / "rules.json" / "x.json").string());
  model->exportPreferences();
  EXPECT_TRUE(model->message().get()->starts_with("导出失败：")) << "a parent that is a file cannot hold it";
}

TEST_F(Commands, ImportReplacesTheSettingsOnlyWhenEverythingHolds) {
  struct Case {
    const char* reason;
    std::vector<std::string> paths;
    bool duplicateIds, engineOn, confirm, backupFails;
    std::optional<std::string> message;
  };
  const std::string invalid = "此文件不是有效的 Tidyframe规则。";
  const Case cases[] = {
      {"spaces, quotes and Chinese", {"/Users/demo/My \"Photos\"", "/Users/demo/照片"}, false, true, true, false, {}},
      {"zero rules, engine paused", {}, false, false, true, false, {}},
      {"an invalid file: two rules with one id", {pictures, documents}, true, true, true, false, invalid},
      {"Return declines: Cancel is the default", {pictures}, false, true, false, false, {}},
      {"the backup cannot be written", {pictures}, false, true, true, true, "无法备份现有规则，导入已取消。"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reason);
    Preferences current{.engineEnabled = c.engineOn, .rules = {pathRule(reports)}};
    current.rules[0].bookmark = Bytes{9};
    if (c.backupFails) std::filesystem::create_directories(storageFolder() / "before-import.json" / "x");
    Preferences file;
    for (const auto& path : c.paths) file.rules.push_back(pathRule(path));
    if (c.duplicateIds) file.rules[1].id = file.rules[0].id;
    const auto source = root / "import.json";
    ASSERT_TRUE(Storage::save(file, source));
    launch(current);
    sim.alerts.answerPanel(source.string());
    if (c.confirm && c.message != invalid) sim.alerts.answerAlert(Alerts::firstButton);
    if (!c.confirm) sim.alerts.pressInAlert(SimAlerts::AlertKey::returnKey);
    model->importPreferences();
    const bool imported = c.confirm && !c.message;
    auto expected = file;
    expected.engineEnabled = c.engineOn;
    EXPECT_EQ(model->preferences().get(), imported ? expected : current);
    EXPECT_EQ(model->message().get(), c.message);
    EXPECT_EQ(model->activities()->empty(), !imported);
    if (imported) {
      EXPECT_EQ(Storage::read<Preferences>(storageFolder() / "before-import.json"), current);
      EXPECT_EQ(sim.alerts.alerts().back().informative,
                "将导入 " + std::to_string(c.paths.size()) + " 条位置规则。当前设置会先自动备份。");
    }
    forgetAll();
  }
}

TEST_F(Commands, ImportConfirmationSpeaksTheInterfaceLanguage) {
  Preferences file;
  file.language = "en";
  for (int i = 0; i < 1200; i += 100) file.rules.push_back(pathRule("/r/" + std::to_string(i)));
  ASSERT_TRUE(Storage::save(file, root / "import.json"));
  lookup = &tables;
  launch({.language = "en", .engineEnabled = true, .rules = {}});
  sim.alerts.answerPanel((root / "import.json").string());
  model->importPreferences();
  EXPECT_EQ(sim.alerts.alerts().back().informative,
            "Location rules to import: 12. Your current settings are backed up first.");
  model->importPreferences();
  EXPECT_EQ(sim.alerts.alerts().size(), 1u) << "a cancelled panel shows nothing more";
}

}  // namespace
}  // namespace tidyframe
