#include "sim/sim_home.h"

#include <filesystem>
#include <string_view>

namespace tidyframe::SimHome {

namespace {

constexpr double day = 86400;
constexpr std::int64_t kB = 1000, MB = 1000 * kB, GB = 1000 * MB;

// An item to make: how many days ago it was modified and added, its size (none for a folder)
// and tags. A day count below one stays within today whatever the hour.
struct Made {
  std::string_view name;
  double modifiedDaysAgo = 0;
  double addedDaysAgo = 0;
  std::optional<std::int64_t> size;
  std::vector<std::string> tags = {};
};

struct KindOfFile {
  std::string_view extension;
  ItemKind kind;
  std::string_view kindName;
  std::string_view application;
};

constexpr KindOfFile kindsOfFiles[] = {
    {".pages", ItemKind::document, "Pages document", "Pages"},
    {".numbers", ItemKind::document, "Numbers spreadsheet", "Numbers"},
    {".key", ItemKind::document, "Keynote presentation", "Keynote"},
    {".txt", ItemKind::document, "Plain Text", "TextEdit"},
    {".pdf", ItemKind::pdf, "PDF document", "Preview"},
    {".jpg", ItemKind::image, "JPEG image", "Preview"},
    {".JPG", ItemKind::image, "JPEG image", "Preview"},
    {".png", ItemKind::image, "PNG image", "Preview"},
    {".heic", ItemKind::image, "HEIF image", "Preview"},
    {".mov", ItemKind::movie, "QuickTime movie", "QuickTime Player"},
    {".MOV", ItemKind::movie, "QuickTime movie", "QuickTime Player"},
    {".mp4", ItemKind::movie, "MPEG-4 movie", "QuickTime Player"},
    {".m4a", ItemKind::music, "Apple MPEG-4 audio", "Music"},
    {".mp3", ItemKind::music, "MP3 audio", "Music"},
    {".zip", ItemKind::archive, "ZIP archive", "Archive Utility"},
    {".dmg", ItemKind::other, "Disk Image", "DiskImageMounter"},
    {".app", ItemKind::application, "Application", ""},
};

FinderItem make(const Made& made, Date now) {
  FinderItem item;
  item.name = made.name;
  item.size = made.size;
  item.tags = made.tags;
  item.modified = now - made.modifiedDaysAgo * day;
  item.added = now - made.addedDaysAgo * day;
  item.created = std::min(item.modified, item.added) - 2 * day;
  item.lastOpened = std::max(item.modified, item.added);
  const std::string_view name = made.name;
  if (!made.size) {
    item.kind = ItemKind::folder;
    item.kindName = "Folder";
    item.application = "Finder";
    return item;
  }
  item.kindName = "Document";
  item.application = "TextEdit";
  for (const auto& file : kindsOfFiles) {
    if (!name.ends_with(file.extension)) continue;
    item.kind = file.kind;
    item.kindName = file.kindName;
    item.application = file.kind == ItemKind::application ? name.substr(0, name.size() - 4) : file.application;
  }
  return item;
}

std::vector<FinderItem> make(std::initializer_list<Made> list, Date now) {
  std::vector<FinderItem> items;
  for (const auto& made : list) items.push_back(make(made, now));
  return items;
}

void furnishHome(SimVolumeCatalog& volumes, Date now) {
  volumes.addItems(home, make({{"Applications", 30, 400, {}},
                               {"Documents", 0.002, 400, {}},
                               {"Downloads", 0.001, 400, {}},
                               {"Pictures", 3, 400, {}},
                               {".zshrc", 40, 400, 2 * kB},
                               {".DS_Store", 0.002, 400, 8 * kB}},
                              now));
  volumes.addItems(pictures, make({{"Holidays 2026", 12, 12, {}},
                                   {"Sunset.heic", 3, 3, 3 * MB, {"Orange"}},
                                   {"Screenshot 2026-11-30.png", 7, 7, 900 * kB},
                                   {"Family.jpg", 45, 45, 4 * MB, {"Red"}},
                                   {"Birthday.mov", 60, 60, 640 * MB, {"Red"}},
                                   {"Album cover.png", 200, 200, 80 * kB},
                                   {".DS_Store", 3, 400, 6 * kB}},
                                  now));
  volumes.addItems(holidays, make({{"Beach 1.jpg", 12, 12, 5 * MB, {"Blue"}},
                                   {"Beach 2.jpg", 12, 12, 5 * MB},
                                   {"Beach 10.jpg", 11, 12, 4 * MB},
                                   {"Harbour.mov", 11, 12, 1200 * MB, {"Blue"}},
                                   {"Itinerary.pdf", 20, 20, 240 * kB, {"Work"}}},
                                  now));
  volumes.addItems(documents, make({{"Reports", 2, 300, {}},
                                    {"Budget 2026.numbers", 1, 90, 310 * kB, {"Green"}},
                                    {"Letter to landlord.pages", 9, 9, 150 * kB},
                                    {"Notes.txt", 0.002, 30, 2 * kB, {"Yellow"}},
                                    {"Tax return 2025.pdf", 280, 280, 2 * MB, {"Red", "Work"}},
                                    {"Talk.key", 25, 25, 48 * MB, {"Work"}},
                                    {"Scans.zip", 100, 100, 34 * MB},
                                    {".DS_Store", 0.002, 300, 10 * kB}},
                                   now));
  volumes.addItems(reports, make({{"Invoices", 2, 300, {}},
                                  {"Q1 report.pages", 240, 240, 420 * kB, {"Work"}},
                                  {"Q2 report.pdf", 150, 150, 1500 * kB, {"Work"}},
                                  {"Q3 report.pdf", 60, 60, 1700 * kB, {"Work"}},
                                  {"Sales.numbers", 5, 60, 260 * kB, {"Green"}},
                                  {"Chart.png", 5, 5, 180 * kB}},
                                 now));
  volumes.addItems(invoices, make({{"Invoice 9.pdf", 70, 70, 90 * kB},
                                   {"Invoice 10.pdf", 40, 40, 95 * kB},
                                   {"Invoice 101.pdf", 2, 2, 88 * kB, {"Purple"}},
                                   {"invoice template.pages", 300, 300, 130 * kB}},
                                  now));
  volumes.addItems(downloads, make({{"Podcast 12.mp3", 0.001, 0.001, 58 * MB},
                                    {"Setup Helper.dmg", 0.003, 0.003, 82 * MB},
                                    {"Boarding pass.pdf", 1, 1, 120 * kB, {"Orange"}},
                                    {"Photos.zip", 4, 4, 260 * MB},
                                    {"Manual.pdf", 20, 20, 6 * MB},
                                    {"Song.m4a", 45, 45, 9 * MB},
                                    {"Trailer.mp4", 90, 90, 2 * GB},
                                    {"Wallpaper.heic", 120, 120, 7 * MB},
                                    {"Old invoice.pdf", 400, 400, 70 * kB},
                                    {"Empty.txt", 10, 10, 0}},
                                   now));
  volumes.addItems(applications, make({{"Tool.app", 30, 30, 180 * MB},
                                       {"Sketchbook.app", 90, 200, 310 * MB},
                                       {"Timer.app", 400, 400, 12 * MB}},
                                      now));
}

std::vector<FinderItem> cameraPhotos(Date now) {
  std::vector<FinderItem> photos;
  for (int i = 1; i <= 12; ++i) {
    const std::string number = (i < 10 ? "000" : "00") + std::to_string(i);
    const std::string name = i == 7 ? "MVI_" + number + ".MOV" : "IMG_" + number + ".JPG";
    const double daysAgo = i <= 4 ? 6 : 2;
    const std::int64_t size = i == 7 ? 420 * MB : (3 + i % 4) * MB;
    photos.push_back(make(Made{name, daysAgo, daysAgo, size}, now));
  }
  return photos;
}

}  // namespace

const std::vector<std::string>& folders() {
  static const std::vector<std::string> all{home,    pictures,  holidays,    documents,
                                            reports, invoices,  downloads,   applications};
  return all;
}

void furnish(SimVolumeCatalog& volumes) {
  for (const auto& folder : folders()) volumes.addFolder(folder);
  volumes.addPackage(package);
  furnishHome(volumes, volumes.now());
}

SimVolume sdCard(const std::string& mountPath) {
  VolumeResourceValues values;
  values.name = std::filesystem::path(mountPath).filename().string();
  values.uuid = cardUuid;
  values.isInternal = false;
  values.isRemovable = true;
  values.isReadOnly = false;
  values.totalCapacity = 64'000'000'000;
  values.availableCapacity = 21'500'000'000;
  return SimVolume{mountPath, values, false};
}

void insertCard(SimVolumeCatalog& volumes, const std::string& mountPath) {
  volumes.mount(sdCard(mountPath));
  volumes.addFolder(mountPath + "/DCIM");
  volumes.addItems(mountPath, make({{"DCIM", 2, 2, {}}}, volumes.now()));
  volumes.addItems(mountPath + "/DCIM", cameraPhotos(volumes.now()));
}

}  // namespace tidyframe::SimHome
