#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include <QLocalServer>
#include <QString>

namespace tidyframe {

// Keeps one running application per storage folder: a later launch hands over to the running
// one, which then shows its panel. The same channel carries the subcommands' requests. Its
// socket lies in a folder of the user's own and is open to the user alone. Main thread.
class SingleInstance {
 public:
  using Reply = std::function<void(std::string answer)>;
  // Receives one request line without its line feed (or, when it grows past the request limit
  // without one, the bytes read so far) and answers it through `reply`, now or later;
  // `waiting` tells whether the sender is still connected to hear the answer.
  using RequestHandler = std::function<void(std::string_view request, Reply reply, std::function<bool()> waiting)>;

  // The local socket's path for `storageFolder`, so two users, or a test beside a person, never
  // meet; empty when no user-only folder can hold it.
  static QString serverName(const std::filesystem::path& storageFolder);

  // Asks the application listening on `name` to show itself; answers whether one did.
  static bool handOver(const QString& name);

  // Listens on `name` (taking it over from a process that died without closing it); every
  // hand-over runs `show`, every other line goes to `requests`. Answers false when it cannot
  // listen.
  bool listen(const QString& name, std::function<void()> show, RequestHandler requests = {});

 private:
  std::unique_ptr<QLocalServer> server_;
};

}  // namespace tidyframe
