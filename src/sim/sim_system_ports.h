#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "base/dispatch.h"
#include "platform/https_client.h"
#include "platform/system_information.h"
#include "platform/user_defaults.h"

namespace tidyframe {

// The user defaults of the simulated Mac, held in memory: every value is kept as a number, so
// reads convert between the types as the system's user defaults do.
class SimUserDefaults final : public UserDefaults {
 public:
  std::optional<double> doubleValue(std::string_view key) const override;
  std::optional<std::int64_t> integerValue(std::string_view key) const override;
  std::optional<bool> boolValue(std::string_view key) const override;
  void setDouble(std::string_view key, double value) override;
  void setInteger(std::string_view key, std::int64_t value) override;
  void setBool(std::string_view key, bool value) override;

  // How many values were stored, for tests that check nothing was.
  int writes() const { return writes_; }

 private:
  std::map<std::string, double, std::less<>> values_;
  int writes_ = 0;
};

// The simulated Mac's own version, as the process information formats it.
class SimSystemInformation final : public SystemInformation {
 public:
  OperatingSystemVersion operatingSystem() const override { return version_; }
  void setOperatingSystem(OperatingSystemVersion version) { version_ = std::move(version); }

 private:
  OperatingSystemVersion version_{"macOS", "Version 14.5 (Build 23F79)"};
};

// The network as seen from the simulated Mac: each URL answers what a test served there, after
// a latency on the dispatch clock; a URL nobody serves fails as an unreachable host.
// Thread-safe.
class SimHttpsClient final : public HttpsClient {
 public:
  struct Request {
    std::string url;
    std::string userAgent;
    double timeout = 0;
    friend bool operator==(const Request&, const Request&) = default;
  };

  explicit SimHttpsClient(Dispatch& dispatch) : dispatch_(dispatch) {}

  // Waits the latency (at most `timeout`, then fails as timed out) and answers.
  HttpsResponse get(const std::string& url, const std::string& userAgent, double timeout) override;
  void abort() override;

  void serve(std::string url, HttpsResponse response);
  void setLatency(double seconds);
  std::vector<Request> requests() const;

 private:
  Dispatch& dispatch_;
  mutable std::mutex mutex_;
  std::map<std::string, HttpsResponse, std::less<>> served_;
  std::vector<Request> requests_;
  double latency_ = 0;
  bool aborted_ = false;
};

}  // namespace tidyframe
