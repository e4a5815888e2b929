#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/published.h"

namespace tidyframe {
namespace {

TEST(PublishedTest, SetNotifiesEveryTimeSetIfChangedOnlyOnChange) {
  Published<std::string> message;
  std::vector<std::string> seen;
  auto subscription = message.subscribe([&](const std::string& value) { seen.push_back(value); });
  message.set("a");
  message.set("a");
  EXPECT_FALSE(message.setIfChanged("a"));
  EXPECT_TRUE(message.setIfChanged("b"));
  EXPECT_EQ(seen, (std::vector<std::string>{"a", "a", "b"}));
  EXPECT_EQ(message.get(), "b");
}

TEST(PublishedTest, DestroyedSubscriptionStopsNotifications) {
  Published<int> value(1);
  int calls = 0;
  {
    auto subscription = value.subscribe([&](int) { ++calls; });
    value.set(2);
  }
  value.set(3);
  EXPECT_EQ(calls, 1);
}

TEST(PublishedTest, ObserverMayUnsubscribeItselfAndSubscriptionMayOutliveValue) {
  Subscription outliving;
  int calls = 0;
  {
    Published<int> value;
    Subscription self;
    self = value.subscribe([&](int) {
      ++calls;
      self.reset();
    });
    outliving = value.subscribe([](int) {});
    value.set(1);
    value.set(2);
  }
  outliving.reset();
  EXPECT_EQ(calls, 1);
}

}  // namespace
}  // namespace tidyframe
