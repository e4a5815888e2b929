#include "app/native_application.h"

#include <unistd.h>

#include <iostream>

#include <QApplication>
#include <QSystemTrayIcon>
#include <QWidget>

#include "app/app_delegate.h"
#include "app/application.h"
#include "app/command_service.h"
#include "app/engine_host.h"
#include "app/quit_signals.h"
#include "app/single_instance.h"
#include "app/storage_location.h"
#include "base/thread_dispatch.h"
#include "i18n/l.h"
#include "mac/native_mac.h"
#include "mac/window_appearance.h"
#include "ui/main_queue_pump.h"

namespace tidyframe {

namespace {

MacPorts portsOf(NativeMac& mac) {
  return MacPorts{*mac.host,        *mac.log,       *mac.accessibility, *mac.input,
                  *mac.preferences, *mac.permissions, *mac.volumes,    *mac.workspace,
                  *mac.loginItem,   *mac.bookmarks, *mac.alerts,       *mac.folderURLs,
                  *mac.processes,   ::getuid(),     homeFolder().string()};
}

// The first script the engine runs should not pay for loading the scripting machinery; a
// failure here shows again, with its reason, when the engine runs its first real script.
void warmUpScripting(AppleScriptHost& host) {
  if (const auto script = host.compile("return true")) (void)script->compileOnly();
}

// The engine and the shell over this Mac's own services. Main thread.
class NativeApplication {
 public:
  NativeApplication(L& l, const std::filesystem::path& storageFolder, std::ostream* diagnostics)
      : engineHost_(dispatch_, portsOf(mac_), l, storageFolder, homeFolder(), diagnostics),
        shell_(ShellServices{engineHost_.services(),
                             UpdateServices{dispatch_, l, *mac_.alerts, *mac_.workspace, *mac_.defaults, *mac_.https},
                             *mac_.defaults, [] { QApplication::quit(); }, QSystemTrayIcon::isSystemTrayAvailable(),
                             mac_.system->operatingSystem(),
                             [](QWidget& window, std::string_view appearance) {
                               mac::setWindowAppearance(static_cast<std::uintptr_t>(window.winId()), appearance);
                             }}) {
    warmUpScripting(*mac_.host);
    shell_.applicationDidFinishLaunching();
    const auto commands = [this](std::string_view request, SingleInstance::Reply reply, std::function<bool()> waiting) {
      serveCommand({dispatch_, *shell_.model(), engineHost_.writer(), engineHost_.storage()}, std::string(request),
                   std::move(reply), std::move(waiting));
    };
    if (!instance_.listen(SingleInstance::serverName(storageFolder), [this] { shell_.applicationShouldHandleReopen(); },
                          commands)) {
      std::cerr << "tidyframe: cannot listen for later launches" << std::endl;
    }
  }

 private:
  ThreadDispatch dispatch_;
  MainQueuePump pump_{dispatch_};
  NativeMac mac_{dispatch_};
  EngineHost engineHost_;
  AppDelegate shell_;
  SingleInstance instance_;
  QuitSignals quitSignals_{[this] { shell_.quit(); }};
};

}  // namespace

int runNativeApplication(int argc, char** argv, bool diagnostics,
                         const std::vector<std::filesystem::path>& tableRoots) {
  const auto storage = storageDirectory();
  const auto application = startQt(argc, argv, storage);
  if (!application) return 0;
  L l(tableRoots, std::shared_ptr<const PreferredLanguages>(makeMacPreferredLanguages()));
  NativeApplication native(l, storage, diagnostics ? &std::cout : nullptr);
  return QApplication::exec();
}

}  // namespace tidyframe
