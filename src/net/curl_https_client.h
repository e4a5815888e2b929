#pragma once

#include <filesystem>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/https_client.h"

namespace tidyframe {

// HTTPS over libcurl: TLS 1.2 or later, the peer's certificate and host name verified against
// the system's certificate store, HTTPS only (redirects included), bodies up to bodyLimit.
// Any number of threads may call get() at once; abort() wakes every request in flight.
class CurlHttpsClient final : public HttpsClient {
 public:
  struct Options {
    // Trust only the certificate authorities in this file, not the system's.
    std::optional<std::filesystem::path> caFile;
    // Every request gives up after this many seconds, whatever its caller asked.
    std::optional<double> timeout;
  };

  explicit CurlHttpsClient(Options options = {});
  ~CurlHttpsClient() override;
  CurlHttpsClient(const CurlHttpsClient&) = delete;
  CurlHttpsClient& operator=(const CurlHttpsClient&) = delete;

  HttpsResponse get(const std::string& url, const std::string& userAgent, double timeout) override;
  void abort() override;

 private:
  // The multi handles of the requests in flight, which abort() wakes.
  bool enter(void* multi);
  void leave(void* multi);
  bool aborted();

  Options options_;
  std::mutex mutex_;
  bool aborted_ = false;
  std::vector<void*> inFlight_;
};

}  // namespace tidyframe
