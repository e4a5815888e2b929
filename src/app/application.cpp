#include "app/application.h"

#include <chrono>
#include <iostream>
#include <thread>

#include <QApplication>

#include "app/desktop_application.h"
#include "app/environment_languages.h"
#include "app/single_instance.h"
#include "app/storage_location.h"
#include "app/subcommands.h"
#include "command/storage_lock.h"
#include "i18n/l.h"
#include "ui/panel_style.h"

namespace tidyframe {

namespace {

// Keeps the storage folder's lock for as long as the QApplication lives.
class StorageHolder final : public QObject {
 public:
  StorageHolder(QObject* parent, StorageLock lock) : QObject(parent), lock_(std::move(lock)) {}

 private:
  StorageLock lock_;
};

enum class Claim { held, handedOver, refused };

// The lock is taken before anything reads the documents, so a subcommand's change either is on
// disk before the engine loads or goes through the engine. A subcommand holds it only for one
// write; an application that is still starting takes the hand-over once it listens.
Claim claimStorage(QApplication& application, const std::filesystem::path& storageFolder, const QString& name) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(lockWaitSeconds);
  for (;;) {
    auto lock = StorageLock::tryAcquire(storageFolder);
    if (lock) {
      new StorageHolder(&application, std::move(*lock));
      return Claim::held;
    }
    if (lock.error().failure == StorageLock::Failure::unusable) {
      // The engine reports every save that fails there; subcommands find the folder unusable too.
      std::cerr << "tidyframe: cannot lock " << storageFolder << ": " << lock.error().description << std::endl;
      return Claim::held;
    }
    if (SingleInstance::handOver(name)) return Claim::handedOver;
    if (std::chrono::steady_clock::now() > deadline) return Claim::refused;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

}  // namespace

std::unique_ptr<QApplication> startQt(int& argc, char** argv, const std::filesystem::path& storageFolder) {
  auto application = std::make_unique<QApplication>(argc, argv);
  const QString name = SingleInstance::serverName(storageFolder);
  const auto claim = SingleInstance::handOver(name) ? Claim::handedOver : claimStorage(*application, storageFolder, name);
  if (claim == Claim::handedOver) {
    std::cout << "tidyframe is already running; it shows its panel" << std::endl;
    return nullptr;
  }
  if (claim == Claim::refused) {
    std::cerr << "tidyframe: another process holds " << storageFolder << " and does not answer" << std::endl;
    return nullptr;
  }
  QApplication::setStyle(new PanelStyle);
  QApplication::setQuitOnLastWindowClosed(false);
  return application;
}

// On a Mac the storage folder belongs to the application over the real Finder; the simulated
// one keeps its documents and its Finder apart from them.
std::filesystem::path simulatedStorageDirectory() {
#ifdef __APPLE__
  return storageDirectory() / "Simulated Mac";
#else
  return storageDirectory();
#endif
}

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
