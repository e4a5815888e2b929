#include "storage/persistence_writer.h"

#include <cassert>
#include <map>
#include <utility>

namespace tidyframe {

namespace {

struct WriteAction {
  Json value;
  PersistenceWriter::ErrorAction onError;
};

}  // namespace

struct PersistenceWriter::State {
  State(Dispatch& d, DispatchQueue& q, Storage s) : dispatch(d), queue(q), storage(std::move(s)) {}

  // The newest action per file wins; actions of other files are untouched.
  void store(std::string fileName, WriteAction action) {
    pending.insert_or_assign(std::move(fileName), std::move(action));
  }

  // Takes everything pending first, so saves made while the writes run land in a fresh map
  // and schedule the next drain.
  void drain() {
    auto taken = std::exchange(pending, {});
    drainScheduled = false;
    for (auto& [fileName, action] : taken) write(fileName, action);
  }

  void write(const std::string& fileName, WriteAction& action) {
    const auto result = Storage::save(action.value, storage.url(fileName));
    if (result || !action.onError) return;
    dispatch.main().async(
        [onError = std::move(action.onError), description = result.error()] { onError(description); });
  }

  Dispatch& dispatch;
  // The queue this state lives on. Only tasks of that queue use it, and they cannot outlive it.
  DispatchQueue& queue;
  Storage storage;
  std::map<std::string, WriteAction> pending;
  bool drainScheduled = false;
};

PersistenceWriter::PersistenceWriter(Dispatch& dispatch, Storage storage)
    : dispatch_(dispatch),
      queue_(dispatch.makeSerialQueue(queueLabel)),
      state_(std::make_shared<State>(dispatch, *queue_, std::move(storage))) {}

PersistenceWriter::~PersistenceWriter() { flushAndWait(); }

void PersistenceWriter::save(std::string fileName, Json value, ErrorAction onError) {
  assertOnMainQueue();
  queue_->async([state = state_, fileName = std::move(fileName),
                 action = WriteAction{std::move(value), std::move(onError)}]() mutable {
    state->store(std::move(fileName), std::move(action));
    if (state->drainScheduled) return;
    state->drainScheduled = true;
    state->queue.asyncAfter(coalescingWindow, [state] { state->drain(); });
  });
}

void PersistenceWriter::flush(Task completion) {
  assertOnMainQueue();
  queue_->async([state = state_, completion = std::move(completion)]() mutable {
    state->drain();
    if (completion) state->dispatch.main().async(std::move(completion));
  });
}

void PersistenceWriter::flushAndWait() {
  assertOnMainQueue();
  queue_->sync([state = state_] { state->drain(); });
}

void PersistenceWriter::assertOnMainQueue() const {
  assert(dispatch_.isCurrent(dispatch_.main()) && "the writer is confined to the main queue");
}

}  // namespace tidyframe
