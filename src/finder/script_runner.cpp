#include "finder/script_runner.h"

#include "finder/finder_scripts.h"
#include "i18n/l.h"
#include "platform/system_log.h"

namespace tidyframe {

namespace {

bool isReusable(std::string_view source) {
  return source == FinderScripts::query() || source == FinderScripts::automationCheck() ||
         source == FinderScripts::activate() || source == FinderScripts::keepHidden();
}

std::string_view logLabel(std::string_view source) {
  if (source == FinderScripts::query()) return "query";
  if (source == FinderScripts::automationCheck()) return "permissions";
  if (source == FinderScripts::activate()) return "activate";
  return "apply";
}

}  // namespace

ScriptRunner::ScriptRunner(AppleScriptHost& host, SystemLog& log, const L& l) : host_(host), log_(log), l_(l) {}

ScriptResult ScriptRunner::run(std::string_view source) {
  const bool reusable = isReusable(source);
  std::unique_ptr<CompiledScript> fresh;
  CompiledScript* script = nullptr;
  if (reusable) {
    if (auto found = reusableScripts_.find(source); found != reusableScripts_.end()) script = found->second.get();
  }
  if (!script) {
    fresh = host_.compile(source);
    if (!fresh) return std::unexpected(ScriptFailure{-1, l_.t("无法创建 Finder 操作")});
    script = fresh.get();
    if (reusable) reusableScripts_.emplace(std::string(source), std::move(fresh));
  }
  auto reply = script->execute();
  if (reply) return std::move(*reply);
  return std::unexpected(failure(source, reply.error()));
}

ScriptFailure ScriptRunner::failure(std::string_view source, const ScriptError& error) {
  log_.error(L::fill("Tidyframe %@ error: %@", {logLabel(source), error.description}));
  // An empty message would leave the user with a blank line; it counts as no message.
  const bool hasMessage = error.message && !error.message->empty();
  return ScriptFailure{error.number.value_or(-1), hasMessage ? *error.message : l_.t("Finder 操作未完成")};
}

}  // namespace tidyframe
