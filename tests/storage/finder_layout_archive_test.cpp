#include <gtest/gtest.h>

#include "base/temporary_folder.h"
#include "storage/finder_layout_archive.h"

namespace tidyframe {
namespace {

using Volume = std::optional<std::string>;
using Folders = decltype(FinderLayoutArchive::folders);

OriginalFinderLayout layout(std::string path, std::string view, Volume volume, std::string group, std::string sort) {
  return {std::move(path), std::move(view), std::move(volume), std::move(group), std::move(sort)};
}

OriginalFinderLayout legacy(std::string path, std::string group, std::string sort) {
  return layout(std::move(path), "*", std::nullopt, std::move(group), std::move(sort));
}

// Both readers of the document, which must agree.
std::optional<FinderLayoutArchive> decode(std::string_view text) {
  auto general = decodeJson<FinderLayoutArchive>(text);
  EXPECT_EQ(general, decodeArchive(std::string(text))) << text;
  return general;
}

// Every folder as "<path> <original group or -> <confirmation or ->", and its original view
// when there is one, in key order. Folders under /f stand in for the many an archive holds and
// are left out.
std::vector<std::string> summary(const FinderLayoutArchive& archive) {
  std::vector<std::string> found;
  for (const auto& [key, folder] : archive.folders) {
    if (key.starts_with("/f")) continue;
    found.push_back(key.substr(0, key.find('\n')) + " " + (folder.original ? folder.original->group : "-") + " " +
                    folder.confirmed.value_or("-") + (folder.originalView ? " " + *folder.originalView : ""));
  }
  return found;
}

// `text` as a build that knows no views reads it: their members under names it does not know.
std::string withoutKnownViews(std::string text) {
  for (const auto& [known, unknown] : {std::pair{"\"views\"", "\"later\""}, {"\"viewKey\"", "\"laterKey\""},
                                       {"\"originalView\"", "\"laterView\""}}) {
    for (auto at = text.find(known); at != std::string::npos; at = text.find(known, at)) text.replace(at, std::string_view(known).size(), unknown);
  }
  return text;
}

TEST(FinderLayoutArchiveTest, TheFirstCompleteArrangementSeenStaysTheOriginal) {
  FinderLayoutArchive archive;
  // An empty group is not kept; a later arrangement never replaces the first; the newest
  // fingerprint counts, and none given leaves it.
  archive.remember(layout("/Users/demo/Photos", "icon view", "internal", "", "Name"), "kind:name:false");
  archive.remember(layout("/Users/demo/Photos", "icon view", "internal", "None", "Name"), "kind:name:true");
  archive.remember(layout("/Users/demo/Photos/", "icon view", "internal", "Kind", "Size"), "size:size:true");
  archive.remember(layout("/Users/demo/Photos", "icon view", "internal", "Kind", "Kind"), std::nullopt);
  EXPECT_EQ(archive.folders, (Folders{{"/Users/demo/Photos\nicon view\ninternal",
                                       {layout("/Users/demo/Photos", "icon view", "internal", "None", "Name"),
                                        "size:size:true"}}}));
  EXPECT_EQ(FinderLayoutArchive::fingerprint(Grouping::modified, Sorting::name, true), "modified:name:true")
      << "as the earlier build wrote them";
  EXPECT_EQ(FinderLayoutArchive::fingerprint(Grouping::modified, Sorting::name, true, FinderViewChoice::list),
            "modified:name:true:list");

  // The view is kept per folder and volume, whatever view the arrangement was recorded in.
  archive.rememberView("/Users/demo/Photos/", "internal", "");
  archive.rememberView("/Users/demo/Photos/", "internal", "icon view");
  archive.rememberView("/Users/demo/Photos", "internal", "list view");
  EXPECT_EQ(archive.originalView("/Users/demo/Photos", "internal"), "icon view");
  EXPECT_EQ(archive.originalView("/Users/demo/Photos", "other"), std::nullopt);
  EXPECT_EQ(archive.originalView("/Users/demo/Photos", std::nullopt), std::nullopt);
  EXPECT_EQ(archive.original("/Users/demo/Photos", "list view", "internal"), std::nullopt)
      << "a view is no arrangement";
}

TEST(FinderLayoutArchiveTest, OriginalPrecedence) {
  FinderLayoutArchive archive;
  archive.remember(layout("/Users/demo/Photos", "icon view", "internal", "None", "Name"), std::nullopt);
  archive.remember(legacy("/Users/demo/Photos", "Kind", "Size"), std::nullopt);
  archive.remember(layout("/Users/demo/Music", "*", "internal", "Date Added", "Name"), std::nullopt);
  archive.remember(legacy("/Users/demo/Music", "Kind", "Kind"), std::nullopt);
  archive.remember(layout("/Volumes/Card/DCIM", "icon view", "card-A", "None", "Name"), std::nullopt);
  archive.remember(legacy("/Volumes/Card/DCIM", "Kind", "Size"), std::nullopt);
  archive.remember(legacy("/Volumes", "Kind", "Size"), std::nullopt);
  archive.remember(legacy("/VolumesOther", "Size", "Size"), std::nullopt);

  struct Case {
    const char* reason;
    const char* path;
    const char* view;
    Volume volume;
    std::optional<std::string> group;
  };
  const Case cases[] = {
      {"the exact record beats the legacy one", "/Users/demo/Photos", "icon view", "internal", "None"},
      {"another view falls back to the legacy record", "/Users/demo/Photos", "list view", "internal", "Kind"},
      {"every view on the volume beats the legacy record", "/Users/demo/Music", "list view", "internal", "Date Added"},
      {"another volume falls back to the legacy record", "/Users/demo/Music", "list view", "other", "Kind"},
      {"the record of another card is not used", "/Volumes/Card/DCIM", "icon view", "card-B", std::nullopt},
      {"nor is a record naming no volume below /Volumes", "/Volumes/Card/DCIM", "list view", "card-A", std::nullopt},
      {"/Volumes itself counts", "/Volumes", "icon view", "disk", std::nullopt},
      {"a mere prefix of /Volumes does not", "/VolumesOther", "icon view", "disk", "Size"},
      {"nor for a card without a volume id", "/Volumes/Card/DCIM", "list view", std::nullopt, std::nullopt},
      {"with no volume the legacy record is found elsewhere", "/Users/demo/Photos", "list view", std::nullopt, "Kind"},
      {"the exact record of the card", "/Volumes/Card/DCIM/", "icon view", "card-A", "None"},
  };
  for (const auto& c : cases) {
    const auto found = archive.original(c.path, c.view, c.volume);
    EXPECT_EQ(found ? std::optional(found->group) : std::nullopt, c.group) << c.reason;
  }
}

TEST(FinderLayoutArchiveTest, ForgetConfirmationDropsExactlyOneFolder) {
  FinderLayoutArchive archive;
  archive.remember(layout("/Users/demo/Photos", "icon view", "internal", "None", "Name"), "kind:name:true");
  archive.remember(layout("/Users/demo/Photos", "list view", std::nullopt, "None", "Name"), "kind:name:true");
  archive.remember(layout("/Users/demo/Photos/2024", "icon view", "internal", "None", "Name"), "kind:name:true");
  archive.remember(layout("/Users/demo/Photos 2", "icon view", "internal", "None", "Name"), "kind:name:true");
  // A sibling literally named "\nlist view" starts with the same key text.
  archive.remember(layout("/Users/demo/Photos\nlist view", "icon view", "internal", "None", "Name"), "kind:name:true");
  archive.remember(layout("/Volumes/Card/DCIM", "icon view", "card-A", "None", "Name"), "kind:name:true");
  auto expected = archive.folders;
  expected.at("/Users/demo/Photos\nicon view\ninternal").confirmed.reset();
  expected.at("/Users/demo/Photos\nlist view\n").confirmed.reset();

  archive.forgetConfirmation("/Users/demo/Photos/");
  EXPECT_EQ(archive.folders, expected) << "subfolders, siblings and every original stay";
}

ActivityEntry entry(std::string path, bool success, Volume group, Volume sort) {
  return {makeUuid(), Date{}, "t", "", std::move(path), success, std::move(group), std::move(sort), std::nullopt};
}

TEST(FinderLayoutArchiveTest, SeedingKeepsTheArrangementBeforeTheOldestChange) {
  FinderLayoutArchive archive;
  archive.remember(legacy("/kept", "Existing", "Existing"), std::nullopt);
  // Newest first, as the log holds them.
  archive.seed({
      entry("/a", true, "Newest", "Newest"),
      // The oldest change of a folder wins.
      entry("/a", true, "Oldest", "Oldest"),
      // A failed entry, one without the sort it replaced and a folder already held seed nothing.
      entry("/b", false, "Failed", "Failed"),
      entry("/c", true, "Kind", std::nullopt),
      entry("/kept", true, "Logged", "Logged"),
  });
  EXPECT_EQ(archive.folders, (Folders{{"/a\n*\n", {legacy("/a", "Oldest", "Oldest"), std::nullopt}},
                                      {"/kept\n*\n", {legacy("/kept", "Existing", "Existing"), std::nullopt}}}));
}

// As the earlier macOS build wrote it: line feeds in keys escaped, "/" escaped, the absent
// volume UUID left out.
constexpr std::string_view earlierBuildArchive = R"({
  "confirmed" : {
    "\/Users\/demo\/Photos\nicon view\ninternal" : "kind:name:true"
  },
  "originals" : {
    "\/Users\/demo\/Photos\n*\n" : {
      "group" : "Kind",
      "path" : "\/Users\/demo\/Photos",
      "sort" : "Size",
      "view" : "*"
    },
    "\/Users\/demo\/Photos\nicon view\ninternal" : {
      "group" : "None",
      "path" : "\/Users\/demo\/Photos",
      "sort" : "Name",
      "view" : "icon view",
      "volumeID" : "internal"
    }
  }
})";

TEST(FinderLayoutArchiveTest, ReadsAndWritesTheEarlierBuildsFormByteForByte) {
  const auto archive = decode(earlierBuildArchive);
  ASSERT_TRUE(archive);
  EXPECT_EQ(archive->folders,
            (Folders{{"/Users/demo/Photos\n*\n", {legacy("/Users/demo/Photos", "Kind", "Size"), std::nullopt}},
                     {"/Users/demo/Photos\nicon view\ninternal",
                      {layout("/Users/demo/Photos", "icon view", "internal", "None", "Name"), "kind:name:true"}}}));
  EXPECT_EQ(writeJson(toJson(*archive)).value(), earlierBuildArchive);
}

// Keys written by a build that kept the Finder's decomposed paths.
TEST(FinderLayoutArchiveTest, StoredKeysAreNormalisedOnReading) {
  const auto record = [](const char* group) {
    return R"({"path":"/x","view":"icon view","group":")" + std::string(group) + R"(","sort":"Name"})";
  };
  const std::string composed = "/a/Caf\u00e9", decomposed = "/a/Cafe\u0301", otherView = R"(\nlist view\nv)";
  const auto archive = decode(R"({"originals":{")" + decomposed + R"(/\nicon view\nv":)" + record("Slash") + R"(,")" +
                              decomposed + R"(\nicon view\nv":)" + record("Smallest") + R"(,")" + decomposed +
                              otherView + R"(":)" + record("Decomposed") + R"(,")" + composed + otherView + R"(":)" +
                              record("Composed") + R"(},"confirmed":{")" + decomposed + R"(\nicon view\nv":"kind:name:true",")" +
                              composed + R"(\nicon view\nv":"kind:name:true",")" + decomposed + otherView +
                              R"(":"size:name:true",")" + composed + otherView + R"(":"kind:name:true"}})");
  const std::string cafe = "/a/Caf\xC3\xA9";
  const auto kept = [](const char* group) { return layout("/x", "icon view", std::nullopt, group, "Name"); };
  ASSERT_TRUE(archive);
  EXPECT_EQ(archive->folders, (Folders{{cafe + "\nicon view\nv", {kept("Smallest"), "kind:name:true"}},
                                       {cafe + "\nlist view\nv", {kept("Composed"), std::nullopt}}}))
      << "the key already normalised wins, else the byte-smallest; agreeing confirmations merge, conflicting ones "
         "are dropped";
}

// Documents another writer may leave: keys in any order, keys and members repeated. Anything
// wrong fails the whole document.
TEST(FinderLayoutArchiveTest, DocumentsReadWholeOrNotAtAll) {
  const auto key = [](const char* folder) { return "\"/" + std::string(folder) + R"(\n*\n")"; };
  const auto original = [&](const char* folder, const char* group) {
    return key(folder) + R"(:{"path":"/x","view":"*","group":")" + group + R"(","sort":"Name"})";
  };
  const auto confirmed = [&](const char* folder, const char* fingerprint) {
    return key(folder) + ":\"" + fingerprint + "\"";
  };
  const auto withRecord = [](std::string body) { return R"({"confirmed":{},"originals":{"k":)" + body + "}}"; };
  struct Case {
    const char* reason;
    std::string document;
    // Each folder as summary() gives it; nothing when the document fails.
    std::optional<std::vector<std::string>> folders = std::nullopt;
  };
  const Case cases[] = {
      {"keys out of order in both objects",
       "{\"confirmed\":{" + confirmed("c", "x") + "," + confirmed("a", "y") + "},\"originals\":{" + original("b", "B") +
           "," + original("a", "A") + "," + original("c", "C") + "}}",
       {{"/a A y", "/b B -", "/c C x"}}},
      {"a repeated key keeps its last record",
       "{\"originals\":{" + original("a", "A1") + "," + original("b", "B") + "," + original("a", "A2") +
           "},\"confirmed\":{" + confirmed("a", "y") + "," + confirmed("a", "z") + "}}",
       {{"/a A2 z", "/b B -"}}},
      {"a repeated object of originals replaces only the originals",
       "{\"originals\":{" + original("a", "A") + "},\"confirmed\":{" + confirmed("a", "y") + "," + confirmed("b", "z") +
           "},\"originals\":{" + original("b", "B") + "}}",
       {{"/a - y", "/b B z"}}},
      {"a repeated object of confirmations replaces only the confirmations",
       "{\"confirmed\":{" + confirmed("a", "y") + "},\"originals\":{" + original("b", "B") + "},\"confirmed\":{}}",
       {{"/b B -"}}},
      {"the base record reads", withRecord(R"({"path":"/a","view":"*","group":"Kind","sort":"Name"})"), {{"k Kind -"}}},
      {"unknown keys are ignored", R"({"confirmed":{},"originals":{},"future":1})", std::vector<std::string>{}},
      {"original views beside the arrangements",
       "{\"originals\":{" + original("a", "A") + R"(},"confirmed":{},"views":{)" + key("a") + ":\"icon view\"," +
           key("b") + ":\"list view\"}}",
       {{"/a A - icon view", "/b - - list view"}}},
      {"an original view that is no text", R"({"confirmed":{},"originals":{},"views":{"k":1}})"},
      {"originals missing", R"({"confirmed":{}})"},
      {"confirmed missing", R"({"originals":{}})"},
      {"originals as an array", R"({"confirmed":{},"originals":[]})"},
      {"a fingerprint that is no text", R"({"confirmed":{"k":true},"originals":{}})"},
      {"a record without group", withRecord(R"({"path":"/a","view":"*","sort":"Name"})")},
      {"a volume UUID that is a number", withRecord(R"({"path":"/a","view":"*","group":"K","sort":"N","volumeID":1})")},
      {"a number too large, even where it is not read", R"({"confirmed":{},"originals":{},"n":1e999})"},
      {"originals only inside an unknown member", R"({"confirmed":{},"x":{"a":{},"originals":{}}})"},
      {"a control character deep in a long string",
       R"({"confirmed":{},"originals":{},")" + std::string(64, 'a') + "\x1f" + std::string(64, 'a') + R"(":1})"},
  };
  for (const auto& c : cases) EXPECT_EQ(decode(c.document).transform(summary), c.folders) << c.reason;
}

// The document holds /a, confirmed, among ten other folders; the journal then adds /b with its
// confirmation and forgets the confirmation of /a.
class ArchiveJournalTest : public ::testing::Test {
 protected:
  ArchiveJournalTest() {
    FinderLayoutArchive archive;
    for (int i = 10; i < 20; ++i) archive.remember(layout("/f" + std::to_string(i), "*", {}, "None", "Name"), {});
    archive.remember(layout("/a", "icon view", "v", "None", "Name"), "y");
    save(archive.takeUpdate());
    archive.remember(layout("/b", "icon view", "v", "None", "Kind"), "y");
    archive.forgetConfirmation("/a");
    save(archive.takeUpdate());
    journalBefore = journal();
    documentBefore = folder.contents("finder-layouts.json");
  }

  void save(const DocumentUpdate& update) const { ASSERT_TRUE(Storage::save(update, storage.layoutsURL())); }
  std::string journal() const { return folder.contents("finder-layouts.journal"); }
  LoadedArchive load(Storage::CopyStep copy = {}) const {
    return loadArchive(Storage(folder.path(), std::move(copy)), Date{0});
  }
  std::size_t asideCount() const {
    return std::ranges::count_if(folder.names(), [](const std::string& name) { return name.contains("unreadable"); });
  }
  // Puts the document and journal of the constructor back and drops the copies kept aside.
  void restore() const {
    folder.write("finder-layouts.journal", journalBefore);
    folder.write("finder-layouts.json", documentBefore);
    for (const auto& name : folder.names()) {
      if (name.contains("unreadable")) std::filesystem::remove(folder / name);
    }
  }

  TemporaryFolder folder;
  Storage storage{folder.path()};
  std::string journalBefore, documentBefore;
};

TEST_F(ArchiveJournalTest, TheJournalReplaysOverTheDocumentItExtends) {
  const auto cut = [this](std::size_t bytes) {
    folder.write("finder-layouts.journal", journal().substr(0, journal().size() - bytes));
  };
  const auto earlierBuildRewrite = [this] {
    auto rewritten = Storage::read<FinderLayoutArchive>(storage.layoutsURL()).value();
    rewritten.remember(layout("/b", "icon view", "v", "Kind", "Kind"), std::nullopt);
    rewritten.remember(layout("/c", "icon view", "v", "None", "Name"), "y");
    ASSERT_TRUE(Storage::save(rewritten, storage.layoutsURL()));
  };
  const auto failingCopy = [](const std::filesystem::path&, const std::filesystem::path&) {
    return std::make_error_code(std::errc::no_space_on_device);
  };
  struct Case {
    const char* reason;
    std::function<void()> damage;
    std::vector<std::string> folders;
    bool extendable;
    std::size_t kept = 0;
    Storage::CopyStep copy = {};
    std::vector<std::string> notKeptAside = {};
  };
  const Case cases[] = {
      {"document and journal", [] {}, {"/a None -", "/b None y"}, true},
      {"a torn last line is left out", [&] { cut(5); }, {"/a None y", "/b None y"}, false},
      {"a journal cut after its last line", [&] { cut(0); }, {"/a None -", "/b None y"}, true},
      {"a document rewritten by a build without the journal keeps the journal's originals, not its confirmations",
       earlierBuildRewrite, {"/a None y", "/b None -", "/c None y"}, false},
      {"a document as an earlier build left it, without journal",
       [&] { std::filesystem::remove(folder / "finder-layouts.journal"); }, {"/a None y"}, false},
      {"a line that does not read keeps the journal aside; the document stands",
       [&] { folder.write("finder-layouts.journal", journal() + "{\"key\":1}\n{}\n"); }, {"/a None y"}, false, 1},
      {"a journal that cannot be kept aside holds saves back",
       [&] { folder.write("finder-layouts.journal", journal() + "[]\n"); }, {"/a None y"}, false, 0, failingCopy,
       {"finder-layouts.journal"}},
      {"an unreadable document is kept aside; the journal gives its originals",
       [&] { folder.write("finder-layouts.json", "{"); }, {"/b None -"}, false, 1},
  };
  for (const auto& c : cases) {
    restore();
    c.damage();
    const auto loaded = load(c.copy);
    EXPECT_EQ(summary(loaded.archive), c.folders) << c.reason;
    EXPECT_EQ(loaded.archive.journalLength.has_value(), c.extendable) << c.reason;
    EXPECT_EQ(asideCount(), c.kept) << c.reason;
    EXPECT_EQ(loaded.notKeptAside, c.notKeptAside) << c.reason;
    const bool damaged = c.kept + c.notKeptAside.size() > 0;
    EXPECT_TRUE(!damaged || folder.names().contains("finder-layouts.journal")) << "never deleted: " << c.reason;
  }
  restore();
  EXPECT_EQ(load().archive.original("/b", "icon view", "v")->sort, "Kind");
}

// Journal lines follow the rules of every stored object: null is absent, other members are
// skipped whatever they hold, a wrong type or a line that is not one JSON object fails.
TEST_F(ArchiveJournalTest, JournalLinesReadByTheStoredObjectRules) {
  const std::string key = R"("key":"/n\nicon view\nv")";
  const std::string record = R"("path":"/n","view":"icon view","group":"G","sort":"S")";
  struct Case {
    const char* reason;
    std::string line;
    // What /n holds afterwards ("/n G x": original group and confirmation), or that the journal
    // was kept aside.
    std::string folder;
  };
  const Case cases[] = {
      {"unknown members of any shape", "{" + key + R"(,"confirmed":"x","note":[1,{"a":null}],"n":-2.5e3})", "/n - x"},
      {"null is absent, in the change and in its record",
       "{" + key + R"(,"confirmed":null,"original":{)" + record + R"(,"volumeID":null,"more":{}}})", "/n G -"},
      {"white space around the object", "  {" + key + R"(,"original":{)" + record + "}} \t", "/n G -"},
      {"a later member replaces an earlier one", "{" + key + R"(,"confirmed":"x","confirmed":"y"})", "/n - y"},
      {"a key made null leaves a change of nothing", "{" + key + R"(,"confirmed":"x","key":null})", "kept aside"},
      {"an original that is null", "{" + key + R"(,"original":null})", "kept aside"},
      {"a confirmation that is a number", "{" + key + R"(,"confirmed":1})", "kept aside"},
      {"a confirmation that is a list", "{" + key + R"(,"confirmed":["x"]})", "kept aside"},
      {"a record without its sort", "{" + key + R"(,"original":{"path":"/n","view":"*","group":"G"}})", "kept aside"},
      {"text after the object", "{" + key + R"(,"confirmed":"x"} {})", "kept aside"},
      {"a control character in a text", "{" + key + ",\"confirmed\":\"x\x1cy\"}", "kept aside"},
      {"bytes that are not UTF-8", "{" + key + ",\"confirmed\":\"\xff\"}", "kept aside"},
      {"a line that is a list", "[" + key + "]", "kept aside"},
      {"an original view", R"({"forget":"","viewKey":"/n\n*\nv","originalView":"icon view"})", "/n - - icon view"},
      {"an original view without its key", R"({"forget":"","originalView":"icon view"})", "kept aside"},
  };
  for (const auto& c : cases) {
    restore();
    folder.write("finder-layouts.journal", journalBefore + c.line + "\n");
    const auto folders = summary(load().archive);
    const std::string last = folders.empty() ? "nothing" : folders.back();
    EXPECT_EQ(asideCount() > 0 ? "kept aside" : last, c.folder) << c.reason;
  }
}

// A build that knows no views reads the journal and the document written with them as before:
// nothing kept aside, the arrangements as they are, the views passed over.
TEST_F(ArchiveJournalTest, ViewsPassedOverByABuildThatKnowsNone) {
  auto archive = load().archive;
  const auto before = summary(archive);
  archive.rememberView("/a", "v", "icon view");
  archive.rememberView("/a/", "v", "list view");
  const auto check = [&](const char* form) {
    EXPECT_EQ(load().archive, archive) << form;
    EXPECT_EQ(load().archive.originalView("/a", "v"), "icon view") << form;
    folder.write("finder-layouts.journal", withoutKnownViews(journal()));
    folder.write("finder-layouts.json", withoutKnownViews(folder.contents("finder-layouts.json")));
    EXPECT_EQ(summary(load().archive), before) << form;
    EXPECT_EQ(asideCount(), 0u) << form;
  };
  save(archive.takeUpdate());
  check("a journal line");
  restore();
  save(archive.takeUpdate(true));
  check("the document");
}

// Rewriting happens once the journal holds more changes than a quarter of the records, and at
// quit; it writes what the tree's writer writes, and the journal starts afresh.
TEST_F(ArchiveJournalTest, CompactionWritesTheDocumentAsBeforeAndRestartsTheJournal) {
  auto archive = load().archive;
  EXPECT_EQ(archive.takeUpdate(true).journal, std::vector<std::string>{}) << "nothing new: nothing to rewrite";
  for (int i = 0; i < 20; ++i) archive.remember(layout("/f" + std::to_string(i), "icon view", "v", "None", "Name"), std::nullopt);
  save(archive.takeUpdate());
  EXPECT_EQ(archive.journalLength, 0u) << "22 changes, more than a quarter of 32 folders";
  EXPECT_EQ(folder.contents("finder-layouts.json"), writeJson(toJson(archive)).value());
  EXPECT_EQ(std::ranges::count(journal(), '\n'), 1) << "the header alone";
  archive.remember(layout("/g", "icon view", "v", "None", "Name"), "kind:name:false");
  save(archive.takeUpdate());
  EXPECT_EQ(archive.journalLength, 1u);
  EXPECT_EQ(load().archive, archive);
  save(archive.takeUpdate(true));
  EXPECT_EQ(load().archive.journalLength, 0u) << "at quit";

  FinderLayoutArchive odd;
  odd.remember(layout("/x/\xff\x01\"\\ 客户", "*", std::nullopt, "N\tone", "Name"), "kind:name:true");
  odd.folders["\xfe"].confirmed = "bad key";
  odd.rememberView("/x/\xff", std::nullopt, "flow\nview");
  const FinderLayoutArchive samples[] = {FinderLayoutArchive{}, *decode(earlierBuildArchive), odd, archive};
  for (const auto& sample : samples) EXPECT_EQ(encodeArchive(sample), writeJson(toJson(sample)).value());
}

}  // namespace
}  // namespace tidyframe
