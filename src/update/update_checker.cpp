#include "update/update_checker.h"

#include <algorithm>
#include <cassert>
#include <cstdint>

#include "i18n/l.h"
#include "platform/alerts.h"
#include "platform/https_client.h"
#include "platform/user_defaults.h"
#include "platform/workspace.h"

namespace tidyframe {

std::optional<double> interval(SoftwareUpdateFrequency frequency) {
  switch (frequency) {
    case SoftwareUpdateFrequency::daily: return 86400;
    case SoftwareUpdateFrequency::weekly: return 604800;
    case SoftwareUpdateFrequency::manual: return std::nullopt;
  }
  return std::nullopt;
}

std::shared_ptr<UpdateChecker> UpdateChecker::create(const UpdateServices& services, RunningVersion running,
                                                     std::string feedURL) {
  return std::shared_ptr<UpdateChecker>(new UpdateChecker(services, std::move(running), std::move(feedURL)));
}

UpdateChecker::UpdateChecker(const UpdateServices& services, RunningVersion running, std::string feedURL)
    : services_(services),
      running_(std::move(running)),
      feedURL_(std::move(feedURL)),
      queue_(services.dispatch.makeSerialQueue("Tidyframe.update")) {}

// The queue's destructor waits for the request in flight; the abort makes that immediate.
UpdateChecker::~UpdateChecker() {
  if (timer_) timer_->cancel();
  services_.https.abort();
}

void UpdateChecker::start(std::function<SoftwareUpdateFrequency()> frequency) {
  assertOnMainQueue();
  frequency_ = std::move(frequency);
  std::weak_ptr<UpdateChecker> weak = weak_from_this();
  auto dueTest = [weak] {
    if (auto self = weak.lock()) self->runDueTest();
  };
  services_.dispatch.main().asyncAfter(firstDueTestDelay, dueTest);
  timer_ = services_.dispatch.scheduleRepeating(services_.dispatch.main(), dueTestInterval, 0, dueTest);
}

void UpdateChecker::runDueTest() {
  const auto seconds = interval(frequency_());
  if (!seconds) return;
  const double lastCheck = services_.defaults.doubleValue(lastCheckKey).value_or(0);
  if (services_.dispatch.now().unixTime() - lastCheck >= *seconds) check(false);
}

void UpdateChecker::check(bool userInitiated) {
  assertOnMainQueue();
  if (checking_) return;
  checking_ = true;
  std::weak_ptr<UpdateChecker> weak = weak_from_this();
  auto& https = services_.https;
  auto& main = services_.dispatch.main();
  queue_->async([weak, &https, &main, url = feedURL_, agent = "Tidyframe/" + running_.currentVersion, userInitiated] {
    auto release = releaseFrom(https.get(url, agent, requestTimeout));
    main.async([weak, release = std::move(release), userInitiated] {
      if (auto self = weak.lock()) self->finish(release, userInitiated);
    });
  });
}

// The time of the check moves only when the feed was read, so after a failure the hourly due
// test retries.
void UpdateChecker::finish(const std::optional<ReleaseInfo>& release, bool userInitiated) {
  const L& l = services_.l;
  checking_ = false;
  if (release) services_.defaults.setDouble(lastCheckKey, services_.dispatch.now().unixTime());
  if (!release || !release->hasSecureDownload()) {
    if (userInitiated) alert(l.t("无法检查更新"), l.t("请检查网络连接后再试。"), {l.t("好")});
    return;
  }
  if (running_.currentBuild >= release->build) {
    if (userInitiated) {
      alert(l.t("已是最新版本"), l.f("Tidyframe %@ 是目前的最新版本。", running_.currentVersion), {l.t("好")});
    }
    return;
  }
  announce(*release, userInitiated);
}

// A scheduled check announces each build once; the user asking shows it again. The highest
// build announced never goes down, even when the feed steps back to an older build.
void UpdateChecker::announce(const ReleaseInfo& release, bool userInitiated) {
  const L& l = services_.l;
  const std::int64_t notified = services_.defaults.integerValue(notifiedBuildKey).value_or(0);
  if (!userInitiated && notified >= release.build) return;
  services_.defaults.setInteger(notifiedBuildKey, std::max(notified, release.build));
  const int response = alert(
      l.f("Tidyframe %@ 已推出", release.version),
      l.f("当前版本为 %@。下载后打开安装包，将新版拖入“应用程序”替换即可，规则和设置会保留。", running_.currentVersion),
      {l.t("下载新版"), l.t("以后再说")});
  if (response == Alerts::firstButton) services_.workspace.openURL(release.url);
}

int UpdateChecker::alert(std::string title, std::string message, std::vector<AlertButton> buttons) {
  return services_.alerts.runModal(AlertRequest{std::move(title), std::move(message), std::move(buttons)});
}

void UpdateChecker::assertOnMainQueue() const {
  assert(services_.dispatch.isCurrent(services_.dispatch.main()) && "UpdateChecker is confined to the main queue");
}

}  // namespace tidyframe
