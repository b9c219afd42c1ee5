// Rows handed from the thread that parses a sheet to the one that reads it, a few hundred at a
// time so that the two meet rarely. Batches are swapped rather than copied, so the rows' storage
// goes round between the threads and is reused.
#pragma once
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "data/providers/excel/workbook_stream.h"

namespace kpx::data::excel {

// Rows per batch: enough that the two threads meet rarely, few enough to keep memory small.
constexpr size_t kRowsPerBatch = 512;

class RowBatch {
 public:
  size_t size() const { return m_size - m_taken; }
  // Moves `row` into the batch, leaving it empty storage for the next row.
  void add(SheetRow& row);
  // Hands out the oldest row, keeping the storage `row` had; false once all are taken.
  bool take(SheetRow& row);

 private:
  friend class RowBatchQueue;
  void clear() { m_size = m_taken = 0; }
  std::vector<SheetRow> m_rows;
  size_t m_size = 0, m_taken = 0;
};

// One producer, one consumer. The producer's last word is finish(), with what it threw if
// anything; the consumer may cancel() at any time, which releases a waiting producer.
class RowBatchQueue {
 public:
  // Swaps `batch` for an emptied one, waiting while the queue is full; false once cancelled.
  bool put(RowBatch& batch);
  void finish(std::exception_ptr error);
  // Swaps `batch` (all taken) for the oldest full one, waiting for it; false at the end.
  // Rethrows the producer's error once every batch before it is taken.
  bool take(RowBatch& batch);
  void cancel();

 private:
  static constexpr size_t kSlots = 2;
  std::mutex m_mutex;
  std::condition_variable m_changed;
  RowBatch m_slots[kSlots];
  size_t m_head = 0, m_count = 0;
  bool m_finished = false, m_cancelled = false;
  std::exception_ptr m_error;
};

// The rows of `rows`, read on a thread of its own a batch ahead, so that reading them back
// from disk overlaps with what the reader does with them.
class BackgroundRows : public SheetRowStream {
 public:
  explicit BackgroundRows(std::unique_ptr<SheetRowStream> rows) : m_rows(std::move(rows)) {}
  ~BackgroundRows() override;
  bool next(SheetRow& row) override;

 private:
  void readAll();

  std::unique_ptr<SheetRowStream> m_rows;
  RowBatchQueue m_queue;
  RowBatch m_batch;
  std::thread m_worker;
};

}  // namespace kpx::data::excel
