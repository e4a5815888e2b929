#pragma once

#include <cstdint>
#include <set>
#include <utility>

#include "base/dispatch.h"

namespace tidyframe {

// Pending tasks ordered by due time, then by submission. Not synchronised: owners lock.
template <class Due, class Key = int>
class TimedTaskList {
 public:
  struct Entry {
    Due due;
    std::uint64_t sequence;
    Key key;
    Task task;
  };

  void push(Due due, Key key, Task task) {
    entries_.insert(Entry{due, nextSequence_++, key, std::move(task)});
  }
  bool empty() const { return entries_.empty(); }
  std::size_t size() const { return entries_.size(); }
  const Entry& front() const { return *entries_.begin(); }

  Entry popFront() { return extract(entries_.begin()); }

  // The first entry for which `accept(entry)` holds, in due order, or nullptr.
  template <class Predicate>
  const Entry* findFirst(Predicate accept) const {
    for (const auto& entry : entries_) {
      if (accept(entry)) return &entry;
    }
    return nullptr;
  }
  Entry take(const Entry& entry) { return extract(entries_.find(entry)); }

  template <class Predicate>
  void eraseIf(Predicate reject) {
    std::erase_if(entries_, reject);
  }

 private:
  struct Order {
    bool operator()(const Entry& a, const Entry& b) const {
      if (a.due != b.due) return a.due < b.due;
      return a.sequence < b.sequence;
    }
  };
  using Set = std::set<Entry, Order>;

  Entry extract(typename Set::iterator it) {
    auto node = entries_.extract(it);
    return std::move(node.value());
  }

  Set entries_;
  std::uint64_t nextSequence_ = 0;
};

}  // namespace tidyframe
