// Hands batches of rows from the thread that reads and converts them to one thread that
// writes them (a SQLite insert, a text file's formatting), so that the two kinds of work overlap.
// The number of batches is fixed, so memory stays the same whatever the number of rows, and each
// batch's buffers keep their capacity from one use to the next.
//
// Ownership is plain: the producer owns the batch it fills, the queue owns sent batches, the
// worker owns the one it writes; all hand-overs happen under one mutex.
#pragma once
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "data/providers/value.h"

namespace kpx::data {

struct RowBatch {
  std::vector<StoredValue> values;  // rows one after the other, a value per column
  size_t rows = 0;
};

class RowBatchPipe {
 public:
  // `consume` runs on the worker thread, one batch at a time in the order sent; what it
  // throws stops the worker and is thrown again to the producer by send() or drain().
  RowBatchPipe(size_t batches, size_t valuesPerBatch, std::function<void(RowBatch&)> consume);
  // Drops the batches not yet consumed and waits for the worker.
  ~RowBatchPipe();
  RowBatchPipe(const RowBatchPipe&) = delete;
  RowBatchPipe& operator=(const RowBatchPipe&) = delete;

  RowBatch& filling() { return *m_filling; }
  // Queues the batch being filled and takes an empty one, waiting while every other batch is
  // queued or being consumed.
  void send();
  // Waits until every batch sent has been consumed.
  void drain();

 private:
  void work();
  void throwFailure();  // with m_mutex held

  std::function<void(RowBatch&)> m_consume;
  std::vector<std::unique_ptr<RowBatch>> m_all;
  RowBatch* m_filling = nullptr;
  std::mutex m_mutex;
  std::condition_variable m_changed;
  std::deque<RowBatch*> m_sent;
  std::vector<RowBatch*> m_empty;
  bool m_consuming = false;
  bool m_stopping = false;
  std::exception_ptr m_failure;
  std::thread m_worker;  // last: started once everything above exists
};

}  // namespace kpx::data
