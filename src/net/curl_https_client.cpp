#include "net/curl_https_client.h"

#include <curl/curl.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

namespace tidyframe {

namespace {

constexpr const char* cancelledText = "The request was cancelled.";
constexpr const char* tooLargeText = "The response is larger than 1 MiB.";

struct EasyCleanup {
  void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct MultiCleanup {
  void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
using Easy = std::unique_ptr<CURL, EasyCleanup>;
using Multi = std::unique_ptr<CURLM, MultiCleanup>;

// What one transfer collects while it runs.
struct Transfer {
  std::string body;
  bool tooLarge = false;
  char error[CURL_ERROR_SIZE] = {};
};

std::size_t collect(char* data, std::size_t size, std::size_t count, void* context) {
  auto& transfer = *static_cast<Transfer*>(context);
  const std::size_t bytes = size * count;
  if (transfer.body.size() + bytes > HttpsClient::bodyLimit) {
    transfer.tooLarge = true;
    return 0;
  }
  transfer.body.append(data, bytes);
  return bytes;
}

HttpsResponse failure(std::string error) { return {0, {}, std::move(error)}; }

// At least 1 ms: curl reads 0 as "no time limit". Not a number also counts as the least.
long milliseconds(double seconds) {
  if (!(seconds * 1000 >= 1)) return 1;
  return static_cast<long>(std::min(std::ceil(seconds * 1000), 1e9));
}

bool configure(CURL* easy, Transfer& transfer, const std::string& url, const std::string& userAgent,
               double timeout, const std::optional<std::filesystem::path>& caFile) {
  bool ok = curl_easy_setopt(easy, CURLOPT_URL, url.c_str()) == CURLE_OK;
  ok = ok && curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "https") == CURLE_OK;
  ok = ok && curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "https") == CURLE_OK;
  ok = ok && curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L) == CURLE_OK;
  ok = ok && curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 5L) == CURLE_OK;
  ok = ok && curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L) == CURLE_OK;
  ok = ok && curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L) == CURLE_OK;
  ok = ok && curl_easy_setopt(easy, CURLOPT_SSLVERSION, static_cast<long>(CURL_SSLVERSION_TLSv1_2)) == CURLE_OK;
  ok = ok && (!caFile || curl_easy_setopt(easy, CURLOPT_CAINFO, caFile->c_str()) == CURLE_OK);
  ok = ok && curl_easy_setopt(easy, CURLOPT_USERAGENT, userAgent.c_str()) == CURLE_OK;
  ok = ok && curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, milliseconds(timeout)) == CURLE_OK;
  ok = ok && curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L) == CURLE_OK;
  ok = ok && curl_easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE,
                              static_cast<curl_off_t>(HttpsClient::bodyLimit)) == CURLE_OK;
  ok = ok && curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, collect) == CURLE_OK;
  ok = ok && curl_easy_setopt(easy, CURLOPT_WRITEDATA, &transfer) == CURLE_OK;
  ok = ok && curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, transfer.error) == CURLE_OK;
  return ok;
}

HttpsResponse outcome(CURL* easy, CURLcode code, Transfer& transfer) {
  if (transfer.tooLarge || code == CURLE_FILESIZE_EXCEEDED) return failure(tooLargeText);
  if (code != CURLE_OK) return failure(transfer.error[0] ? transfer.error : curl_easy_strerror(code));
  long status = 0;
  curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
  return {static_cast<int>(status), std::move(transfer.body), {}};
}

}  // namespace

CurlHttpsClient::CurlHttpsClient(Options options) : options_(std::move(options)) {
  curl_global_init(CURL_GLOBAL_DEFAULT);
}

CurlHttpsClient::~CurlHttpsClient() { curl_global_cleanup(); }

HttpsResponse CurlHttpsClient::get(const std::string& url, const std::string& userAgent, double timeout) {
  Easy easy(curl_easy_init());
  Multi multi(curl_multi_init());
  Transfer transfer;
  if (!easy || !multi || !configure(easy.get(), transfer, url, userAgent, options_.timeout.value_or(timeout),
                                    options_.caFile)) {
    return failure("The request could not be prepared.");
  }
  if (curl_multi_add_handle(multi.get(), easy.get()) != CURLM_OK) return failure("The request could not be started.");
  if (!enter(multi.get())) {
    curl_multi_remove_handle(multi.get(), easy.get());
    return failure(cancelledText);
  }
  int running = 1;
  CURLMcode state = CURLM_OK;
  while (state == CURLM_OK && !aborted()) {
    state = curl_multi_perform(multi.get(), &running);
    if (state != CURLM_OK || running == 0) break;
    // Wakes for network activity, curl's own deadlines, or abort().
    state = curl_multi_poll(multi.get(), nullptr, 0, 1000, nullptr);
  }
  leave(multi.get());
  CURLcode code = CURLE_OK;
  int queued = 0;
  const CURLMsg* message = curl_multi_info_read(multi.get(), &queued);
  const bool finished = message && message->msg == CURLMSG_DONE;
  if (finished) code = message->data.result;
  curl_multi_remove_handle(multi.get(), easy.get());
  if (!finished) return failure(state == CURLM_OK ? cancelledText : curl_multi_strerror(state));
  return outcome(easy.get(), code, transfer);
}

void CurlHttpsClient::abort() {
  std::lock_guard lock(mutex_);
  aborted_ = true;
  for (void* multi : inFlight_) curl_multi_wakeup(static_cast<CURLM*>(multi));
}

bool CurlHttpsClient::enter(void* multi) {
  std::lock_guard lock(mutex_);
  if (aborted_) return false;
  inFlight_.push_back(multi);
  return true;
}

// After this abort() no longer touches `multi`, so it may be destroyed.
void CurlHttpsClient::leave(void* multi) {
  std::lock_guard lock(mutex_);
  std::erase(inFlight_, multi);
}

bool CurlHttpsClient::aborted() {
  std::lock_guard lock(mutex_);
  return aborted_;
}

}  // namespace tidyframe
