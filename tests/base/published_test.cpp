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
}

TEST(PublishedTest, EndedSubscriptionsStopNotificationsAndMayOutliveTheValue) {
  Subscription outliving;  // ends when the test returns, long after its value
  int selfEnding = 0;
  int scoped = 0;
  {
    Published<int> value;
    Subscription self = value.subscribe([&](int) {
      ++selfEnding;
      self.reset();
    });
    {
      auto subscription = value.subscribe([&](int) { ++scoped; });
      value.set(1);
    }
    outliving = value.subscribe([](int) {});
    value.set(2);
  }
  EXPECT_EQ(selfEnding, 1) << "ended itself while being notified";
  EXPECT_EQ(scoped, 1) << "destroyed";
}

}  // namespace
}  // namespace tidyframe
