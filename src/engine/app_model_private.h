#pragma once

#include <utility>

#include "engine/app_model.h"
#include "i18n/translatable.h"

namespace tidyframe {

// Runs `work` on `queue` and hands its result to `done` on the main queue, if the engine still
// exists then. `work` must not touch the engine: it gets only what it captured.
template <class Work, class Done>
void AppModel::runOn(DispatchQueue& queue, Work work, Done done) {
  std::weak_ptr<AppModel> weak = weak_from_this();
  DispatchQueue& main = services_.dispatch.main();
  queue.async([weak, &main, work = std::move(work), done = std::move(done)]() mutable {
    auto result = work();
    main.async([weak, done = std::move(done), result = std::move(result)]() mutable {
      if (auto self = weak.lock()) done(*self, std::move(result));
    });
  });
}

inline constexpr std::string_view finderBundleIdentifier = "com.apple.finder";

// Seconds between permission checks, and between volume discoveries, while polling.
inline constexpr double refreshInterval = 60.0;

// The save-error messages: of the settings and the archive, and of the activity log.
inline constexpr std::string_view settingsSaveFailed = translatable("设置保存失败：%@");
inline constexpr std::string_view activitySaveFailed = translatable("运行记录保存失败：%@");

inline std::string flag(bool value) { return value ? "true" : "false"; }

}  // namespace tidyframe
