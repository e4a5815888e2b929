#pragma once

#include <functional>
#include <memory>
#include <string>

#include "base/dispatch.h"
#include "storage/storage.h"

namespace tidyframe {

// Writes documents of the storage folder in the background and coalesces bursts: of the saves
// of one file made within 0.15 seconds only the newest value is written, once. One writer
// exists per application (tests make their own).
//
// Owns its serial queue "Tidyframe.persistence" and a copy of the Storage; borrows the
// Dispatch, which must outlive it. Confined to the main queue; error and completion actions
// run there too. Destroying the writer performs the saves still pending.
class PersistenceWriter {
 public:
  using ErrorAction = std::function<void(const std::string& description)>;

  static constexpr double coalescingWindow = 0.15;
  static constexpr const char* queueLabel = "Tidyframe.persistence";

  PersistenceWriter(Dispatch& dispatch, Storage storage);
  ~PersistenceWriter();
  PersistenceWriter(const PersistenceWriter&) = delete;
  PersistenceWriter& operator=(const PersistenceWriter&) = delete;

  // Returns at once. The value is converted to its JSON form now, so changing the original
  // afterwards does not change what is written. `onError` (may be empty) receives the
  // description of a failed write. A failed write is not retried: the next save of the file
  // writes the newest value again, and journal lines that failed go out in front of the next
  // ones, so a journal never misses a change.
  void save(std::string fileName, DocumentUpdate update, ErrorAction onError = {});
  template <JsonDocument T>
  void save(std::string fileName, const T& value, ErrorAction onError = {}) {
    save(std::move(fileName), DocumentUpdate(Json(toJson(value))), std::move(onError));
  }

  // Returns at once; `completion` runs on the main queue once every save made before the call
  // has been written (or has failed and reported its error).
  void flush(Task completion);
  // Performs every pending save before it returns; only for the self-check and the
  // destructor, since it blocks the caller on disk writes.
  void flushAndWait();

 private:
  struct State;

  void assertOnMainQueue() const;

  Dispatch& dispatch_;
  std::shared_ptr<DispatchQueue> queue_;
  // Shared with the tasks on the writer queue; touched only there.
  std::shared_ptr<State> state_;
};

}  // namespace tidyframe
