#pragma once

#include <cstddef>
#include <string>

namespace tidyframe {

// What one request brought back.
struct HttpsResponse {
  // The HTTP status of the final response, whatever it is; 0 when the request failed.
  int status = 0;
  // The response body; empty when the request failed.
  std::string body;
  // Why no complete response arrived (no network, time-out, refused certificate, a redirect
  // away from HTTPS, a body over the limit, an abort); empty when one did.
  std::string error;

  bool failed() const { return !error.empty(); }
  friend bool operator==(const HttpsResponse&, const HttpsResponse&) = default;
};

// Fetches documents over HTTPS only, verifying the server's certificate and host name, and
// following redirects only to HTTPS. Blocking; called on a serial queue of the caller's own,
// never on the main queue. abort() may be called from any thread.
class HttpsClient {
 public:
  // Larger bodies fail the request: no document fetched this way comes near it.
  static constexpr std::size_t bodyLimit = 1u << 20;

  virtual ~HttpsClient() = default;
  // GET `url` with the "User-Agent" header `userAgent`, giving up after `timeout` seconds.
  virtual HttpsResponse get(const std::string& url, const std::string& userAgent, double timeout) = 0;
  // Ends every request in flight at once and makes every later one fail at once, so that
  // quitting never waits for a server that does not answer.
  virtual void abort() = 0;
};

}  // namespace tidyframe
