#include "storage/persistence_writer.h"

#include <cassert>
#include <map>
#include <utility>

namespace tidyframe {

namespace {

struct WriteAction {
  DocumentUpdate update;
  PersistenceWriter::ErrorAction onError;
};

// The newest document wins, and with it the journal lines saved after it; lines saved without
// a document follow those already waiting.
void merge(DocumentUpdate& earlier, DocumentUpdate later) {
  if (later.document) {
    earlier = std::move(later);
    return;
  }
  earlier.journal.insert(earlier.journal.end(), std::make_move_iterator(later.journal.begin()),
                         std::make_move_iterator(later.journal.end()));
}

}  // namespace

struct PersistenceWriter::State {
  State(Dispatch& d, DispatchQueue& q, Storage s) : dispatch(d), queue(q), storage(std::move(s)) {}

  void store(std::string fileName, WriteAction action) {
    const auto [entry, added] = pending.try_emplace(std::move(fileName), std::move(action));
    if (added) return;
    entry->second.onError = std::move(action.onError);
    merge(entry->second.update, std::move(action.update));
  }

  // Takes everything pending first, so saves made while the writes run land in a fresh map
  // and schedule the next drain.
  void drain() {
    auto taken = std::exchange(pending, {});
    drainScheduled = false;
    for (auto& [fileName, action] : taken) write(fileName, action);
  }

  // A failed update goes out again in front of the next one of its file.
  void write(const std::string& fileName, WriteAction& action) {
    if (auto failed = unwritten.extract(fileName)) {
      merge(failed.mapped(), std::move(action.update));
      action.update = std::move(failed.mapped());
    }
    const auto result = Storage::save(action.update, storage.url(fileName));
    if (!result) unwritten.insert_or_assign(fileName, std::move(action.update));
    if (result || !action.onError) return;
    dispatch.main().async(
        [onError = std::move(action.onError), description = result.error()] { onError(description); });
  }

  Dispatch& dispatch;
  // The queue this state lives on. Only tasks of that queue use it, and they cannot outlive it.
  DispatchQueue& queue;
  Storage storage;
  std::map<std::string, WriteAction> pending;
  std::map<std::string, DocumentUpdate> unwritten;
  bool drainScheduled = false;
};

PersistenceWriter::PersistenceWriter(Dispatch& dispatch, Storage storage)
    : dispatch_(dispatch),
      queue_(dispatch.makeSerialQueue(queueLabel)),
      state_(std::make_shared<State>(dispatch, *queue_, std::move(storage))) {}

PersistenceWriter::~PersistenceWriter() { flushAndWait(); }

void PersistenceWriter::save(std::string fileName, DocumentUpdate update, ErrorAction onError) {
  assertOnMainQueue();
  queue_->async([state = state_, fileName = std::move(fileName),
                 action = WriteAction{std::move(update), std::move(onError)}]() mutable {
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
