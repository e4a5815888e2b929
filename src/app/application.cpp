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

int runApplication(int argc, char** argv, bool diagnostics, const std::vector<std::filesystem::path>& tableRoots) {
  QApplication application(argc, argv);
  const auto storage = storageDirectory();
  if (SingleInstance::handOver(SingleInstance::serverName(storage))) {
    std::cout << "tidyframe is already running; it shows its panel" << std::endl;
    return 0;
  }
  QApplication::setStyle(new PanelStyle);
  QApplication::setQuitOnLastWindowClosed(false);
  L l(tableRoots, std::make_shared<EnvironmentLanguages>());
  DesktopApplication desktop(l, {storage, userDefaultsFile(), homeFolder(), diagnostics ? &std::cout : nullptr,
                                 [] { QApplication::quit(); }});
  return QApplication::exec();
}

}  // namespace tidyframe
