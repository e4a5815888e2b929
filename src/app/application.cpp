#include "app/application.h"

#include <iostream>

#include <QApplication>

#include "app/desktop_application.h"
#include "app/environment_languages.h"
#include "app/single_instance.h"
#include "app/storage_location.h"
#include "i18n/l.h"
#include "ui/panel_style.h"

namespace tidyframe {

std::unique_ptr<QApplication> startQt(int& argc, char** argv, const std::filesystem::path& storageFolder) {
  auto application = std::make_unique<QApplication>(argc, argv);
  if (SingleInstance::handOver(SingleInstance::serverName(storageFolder))) {
    std::cout << "tidyframe is already running; it shows its panel" << std::endl;
    return nullptr;
  }
  QApplication::setStyle(new PanelStyle);
  QApplication::setQuitOnLastWindowClosed(false);
  return application;
}

namespace {

// On a Mac the storage folder belongs to the application over the real Finder; the simulated
// one keeps its documents and its Finder apart from them.
std::filesystem::path simulatedStorageDirectory() {
#ifdef __APPLE__
  return storageDirectory() / "Simulated Mac";
#else
  return storageDirectory();
#endif
}

}  // namespace

int runApplication(int argc, char** argv, bool diagnostics, const std::vector<std::filesystem::path>& tableRoots) {
  const auto storage = simulatedStorageDirectory();
  const auto application = startQt(argc, argv, storage);
  if (!application) return 0;
  L l(tableRoots, std::make_shared<EnvironmentLanguages>());
  DesktopApplication desktop(l, {storage, userDefaultsFile(), homeFolder(), diagnostics ? &std::cout : nullptr,
                                 [] { QApplication::quit(); }});
  return QApplication::exec();
}

}  // namespace tidyframe
