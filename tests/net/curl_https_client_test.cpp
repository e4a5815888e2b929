#include <gtest/gtest.h>

#include <signal.h>

#include <cstdio>
#include <string>
#include <thread>

#include "base/temporary_folder.h"
#include "net/curl_https_client.h"

namespace tidyframe {
namespace {

// A throw-away certificate authority and two HTTPS servers on 127.0.0.1, made by a Python
// script for the whole suite: one whose certificate names 127.0.0.1, one whose names another host.
class CurlHttpsClientTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const std::string script = TIDYFRAME_SOURCE_DIR "/tests/net/https_test_server.py ";
    server = ::popen(("exec python3 " + script + folder.path().string()).c_str(), "r");
    ASSERT_TRUE(server && std::fscanf(server, "%d %d %d", &pid, &port, &otherPort) == 3) << "no test server";
  }
  static void TearDownTestSuite() {
    if (pid > 0) ::kill(pid, SIGTERM);
    if (server) ::pclose(server);
  }
  static std::string at(int serverPort, const std::string& path) {
    return "https://127.0.0.1:" + std::to_string(serverPort) + path;
  }

  static inline TemporaryFolder folder;
  static inline const CurlHttpsClient::Options trusting{folder.path() / "ca.pem", std::nullopt};
  static inline FILE* server = nullptr;
  static inline int pid = 0, port = 0, otherPort = 0;
};

TEST_F(CurlHttpsClientTest, AnswersOnlyVerifiedHttpsWithinLimits) {
  CurlHttpsClient verified(trusting);
  CurlHttpsClient impatient({trusting.caFile, 0.5});
  CurlHttpsClient systemStore;
  const std::string feed = R"({"version":"2.0","build":121,"url":"https://example.test/Tidyframe.dmg"})";
  // A failure is expected as a part of its error text.
  struct Case {
    CurlHttpsClient& client;
    std::string url;
    HttpsResponse expected;
    const char* reason;
  } cases[] = {
      {verified, at(port, "/feed.json"), {200, feed, ""}, "a good feed"},
      {verified, at(port, "/agent"), {200, "Tidyframe/1.2", ""}, "the user agent is sent"},
      {verified, at(port, "/to-secure"), {200, feed, ""}, "a redirect to HTTPS is followed"},
      {verified, at(port, "/missing"), {404, "not here", ""}, "any status is a response; the caller judges it"},
      {verified, at(port, "/to-plain"), {0, "", "http"}, "a redirect to plain HTTP is refused"},
      {verified, "http://127.0.0.1:" + std::to_string(port) + "/feed.json", {0, "", "http"}, "plain HTTP is refused"},
      {verified, at(otherPort, "/feed.json"), {0, "", "127.0.0.1"}, "a certificate for another host name"},
      {systemStore, at(port, "/feed.json"), {0, "", "certificate"}, "an authority the system does not trust"},
      {verified, at(port, "/large"), {0, "", "larger than 1 MiB"}, "a body over the limit"},
      {impatient, at(port, "/silent"), {0, "", "timed out"}, "a server that never answers"},
  };
  for (auto& c : cases) {
    auto response = c.client.get(c.url, "Tidyframe/1.2", 10);
    if (c.expected.failed() && response.error.contains(c.expected.error)) response.error = c.expected.error;
    EXPECT_EQ(response, c.expected) << c.reason << ": " << response.error;
  }
}

TEST_F(CurlHttpsClientTest, AbortEndsTheRequestInFlightAndEveryLaterOne) {
  CurlHttpsClient client(trusting);
  HttpsResponse response;
  std::thread request([&] { response = client.get(at(port, "/silent"), "Tidyframe/1.2", 60); });
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  client.abort();
  request.join();
  EXPECT_EQ(response, (HttpsResponse{0, "", "The request was cancelled."})) << "not the 60-second time-out";
  EXPECT_EQ(client.get(at(port, "/feed.json"), "Tidyframe/1.2", 10).error, "The request was cancelled.");
}

}  // namespace
}  // namespace tidyframe
