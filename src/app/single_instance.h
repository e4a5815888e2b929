#pragma once

#include <filesystem>
#include <functional>
#include <memory>

#include <QLocalServer>
#include <QString>

namespace tidyframe {

// Keeps one running application per storage folder: a later launch hands over to the running
// one, which then shows its panel. Main thread.
class SingleInstance {
 public:
  // The local socket's name for `storageFolder`, so two users, or a test beside a person, never
  // meet.
  static QString serverName(const std::filesystem::path& storageFolder);

  // Asks the application listening on `name` to show itself; answers whether one did.
  static bool handOver(const QString& name);

  // Listens on `name` (taking it over from a process that died without closing it); every
  // hand-over runs `show`. Answers false when it cannot listen.
  bool listen(const QString& name, std::function<void()> show);

 private:
  std::unique_ptr<QLocalServer> server_;
};

}  // namespace tidyframe
