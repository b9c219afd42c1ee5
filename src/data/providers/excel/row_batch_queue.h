// Rows handed from the thread that parses a sheet to the one that reads it, a few hundred at a
// time so that the two meet rarely. Batches are swapped rather than copied, so the rows' storage
// goes round between the threads and is reused.
#pragma once
#include <condition_variable>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "data/providers/excel/workbook_stream.h"

namespace kpx::data::excel {

// Rows per batch: enough that the two threads meet rarely, few enough to keep memory small.
constexpr size_t kRowsPerBatch = 512;

// Rows of any kind that has `cells`: the sheet's rows, or rows not yet converted.
template <typename Row>
class RowBatchOf {
 public:
  size_t size() const { return m_size - m_taken; }
  // Moves `row` into the batch, leaving it empty storage for the next row.
  void add(Row& row) {
    if (m_size == m_rows.size()) m_rows.emplace_back();
    std::swap(row, m_rows[m_size++]);
    row.cells.clear();
  }
  // Hands out the oldest row, keeping the storage `row` had; false once all are taken.
  bool take(Row& row) {
    if (m_taken == m_size) return false;
    std::swap(row, m_rows[m_taken++]);
    return true;
  }
  void clear() { m_size = m_taken = 0; }

 private:
  std::vector<Row> m_rows;
  size_t m_size = 0, m_taken = 0;
};

// One producer, one consumer. The producer's last word is finish(), with what it threw if
// anything; the consumer may cancel() at any time, which releases a waiting producer.
template <typename Row>
class RowBatchQueueOf {
 public:
  using Batch = RowBatchOf<Row>;

  // Swaps `batch` for an emptied one, waiting while the queue is full; false once cancelled.
  bool put(Batch& batch) {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return m_count < kSlots || m_cancelled; });
    if (m_cancelled) return false;
    std::swap(m_slots[(m_head + m_count) % kSlots], batch);
    batch.clear();
    ++m_count;
    m_changed.notify_one();
    return true;
  }
  void finish(std::exception_ptr error) {
    std::lock_guard lock(m_mutex);
    m_finished = true;
    m_error = std::move(error);
    m_changed.notify_one();
  }
  // Swaps `batch` (all taken) for the oldest full one, waiting for it; false at the end.
  // Rethrows the producer's error once every batch before it is taken.
  bool take(Batch& batch) {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return m_count > 0 || m_finished; });
    if (m_count == 0) {
      if (m_error) std::rethrow_exception(m_error);
      return false;
    }
    std::swap(m_slots[m_head], batch);
    m_head = (m_head + 1) % kSlots;
    --m_count;
    m_changed.notify_one();
    return true;
  }
  void cancel() {
    std::lock_guard lock(m_mutex);
    m_cancelled = true;
    m_changed.notify_one();
  }

 private:
  static constexpr size_t kSlots = 2;
  std::mutex m_mutex;
  std::condition_variable m_changed;
  Batch m_slots[kSlots];
  size_t m_head = 0, m_count = 0;
  bool m_finished = false, m_cancelled = false;
  std::exception_ptr m_error;
};

using RowBatch = RowBatchOf<SheetRow>;
using RowBatchQueue = RowBatchQueueOf<SheetRow>;

// Rows made on a thread of its own a batch ahead of their reader. `fill` adds rows to the
// batch it is given (as many as it likes) and returns false after the last; what it throws
// reaches the reader after the rows before it. Started by the first read, so that rows opened
// only to be dropped cost no thread; destroying it stops the thread, so it goes before (is
// declared after) whatever `fill` uses.
template <typename Row>
class RowsAhead {
 public:
  using Fill = std::function<bool(RowBatchOf<Row>&)>;
  explicit RowsAhead(Fill fill) : m_fill(std::move(fill)) {}
  ~RowsAhead() {
    if (!m_worker.joinable()) return;
    m_queue.cancel();
    m_worker.join();
  }
  RowsAhead(const RowsAhead&) = delete;
  RowsAhead& operator=(const RowsAhead&) = delete;

  bool next(Row& row) {
    if (!m_worker.joinable()) m_worker = std::thread([this] { produce(); });
    while (!m_batch.take(row))
      if (!m_queue.take(m_batch)) return false;
    return true;
  }

 private:
  // Hands over a batch once it is full, the last one at the end, and what is thrown after the
  // rows made before it.
  void produce() {
    RowBatchOf<Row> batch;
    try {
      for (bool more = true; more;) {
        more = m_fill(batch);
        if ((batch.size() >= kRowsPerBatch || !more) && !m_queue.put(batch)) return;
      }
      m_queue.finish(nullptr);
    } catch (...) {
      if (m_queue.put(batch)) m_queue.finish(std::current_exception());
    }
  }

  Fill m_fill;
  RowBatchQueueOf<Row> m_queue;
  RowBatchOf<Row> m_batch;
  std::thread m_worker;
};

// The rows of `rows`, read on a thread of its own a batch ahead, so that reading them back
// from disk overlaps with what the reader does with them.
class BackgroundRows : public SheetRowStream {
 public:
  explicit BackgroundRows(std::unique_ptr<SheetRowStream> rows);
  bool next(SheetRow& row) override { return m_ahead.next(row); }

 private:
  std::unique_ptr<SheetRowStream> m_rows;
  SheetRow m_row;
  RowsAhead<SheetRow> m_ahead;
};

}  // namespace kpx::data::excel
