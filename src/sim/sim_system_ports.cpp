#include "sim/sim_system_ports.h"

#include <algorithm>
#include <cmath>

namespace tidyframe {

std::optional<double> SimUserDefaults::doubleValue(std::string_view key) const {
  const auto found = values_.find(key);
  if (found == values_.end()) return std::nullopt;
  return found->second;
}

std::optional<std::int64_t> SimUserDefaults::integerValue(std::string_view key) const {
  const auto value = doubleValue(key);
  if (!value || !std::isfinite(*value)) return std::nullopt;
  constexpr double limit = 9.2e18;
  return static_cast<std::int64_t>(std::clamp(std::trunc(*value), -limit, limit));
}

std::optional<bool> SimUserDefaults::boolValue(std::string_view key) const {
  const auto value = doubleValue(key);
  if (!value) return std::nullopt;
  return *value != 0;
}

void SimUserDefaults::setDouble(std::string_view key, double value) {
  values_.insert_or_assign(std::string(key), value);
  ++writes_;
}

void SimUserDefaults::setInteger(std::string_view key, std::int64_t value) {
  setDouble(key, static_cast<double>(value));
}

void SimUserDefaults::setBool(std::string_view key, bool value) { setDouble(key, value ? 1 : 0); }

HttpsResponse SimHttpsClient::get(const std::string& url, const std::string& userAgent, double timeout) {
  double latency = 0;
  {
    std::lock_guard lock(mutex_);
    requests_.push_back({url, userAgent, timeout});
    if (aborted_) return {0, {}, "The request was cancelled."};
    latency = latency_;
  }
  dispatch_.wait(std::min(latency, timeout));
  if (latency > timeout) return {0, {}, "The request timed out."};
  std::lock_guard lock(mutex_);
  const auto found = served_.find(url);
  if (found == served_.end()) return {0, {}, "A server with the specified hostname could not be found."};
  return found->second;
}

void SimHttpsClient::abort() {
  std::lock_guard lock(mutex_);
  aborted_ = true;
}

void SimHttpsClient::serve(std::string url, HttpsResponse response) {
  std::lock_guard lock(mutex_);
  served_.insert_or_assign(std::move(url), std::move(response));
}

void SimHttpsClient::setLatency(double seconds) {
  std::lock_guard lock(mutex_);
  latency_ = seconds;
}

std::vector<SimHttpsClient::Request> SimHttpsClient::requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

}  // namespace tidyframe
