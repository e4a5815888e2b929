// The channel's decoders take bytes from any process of the user: a request that decodes
// passes its own checks and encodes to a line that decodes to the same request; an answer
// never fails in any other way than by refusing.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "command/command_request.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  namespace Messages = tidyframe::CommandMessages;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (const auto request = Messages::decodeRequest(text)) {
    FUZZ_CHECK(Messages::check(*request).has_value());
    auto line = Messages::encode(*request);
    FUZZ_CHECK(line.ends_with('\n'));
    line.pop_back();
    FUZZ_CHECK(line.find('\n') == std::string::npos);
    FUZZ_CHECK(Messages::decodeRequest(line) == request);
  }
  if (const auto answer = Messages::decodeAnswer(text)) {
    FUZZ_CHECK(answer->status >= 0 && answer->status <= 2);
  }
  return 0;
}
