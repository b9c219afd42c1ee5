#include "data/providers/excel/row_batch_queue.h"

#include <utility>

namespace kpx::data::excel {

void RowBatch::add(SheetRow& row) {
  if (m_size == m_rows.size()) m_rows.emplace_back();
  std::swap(row, m_rows[m_size++]);
  row.cells.clear();
}

bool RowBatch::take(SheetRow& row) {
  if (m_taken == m_size) return false;
  std::swap(row, m_rows[m_taken++]);
  return true;
}

bool RowBatchQueue::put(RowBatch& batch) {
  std::unique_lock lock(m_mutex);
  m_changed.wait(lock, [&] { return m_count < kSlots || m_cancelled; });
  if (m_cancelled) return false;
  RowBatch& slot = m_slots[(m_head + m_count) % kSlots];
  std::swap(slot, batch);
  batch.clear();
  ++m_count;
  m_changed.notify_one();
  return true;
}

void RowBatchQueue::finish(std::exception_ptr error) {
  std::lock_guard lock(m_mutex);
  m_finished = true;
  m_error = std::move(error);
  m_changed.notify_one();
}

bool RowBatchQueue::take(RowBatch& batch) {
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

void RowBatchQueue::cancel() {
  std::lock_guard lock(m_mutex);
  m_cancelled = true;
  m_changed.notify_one();
}

BackgroundRows::~BackgroundRows() {
  if (!m_worker.joinable()) return;
  m_queue.cancel();
  m_worker.join();
}

bool BackgroundRows::next(SheetRow& row) {
  // Started by the first read, so that a stream opened only to be dropped costs no thread.
  if (!m_worker.joinable()) m_worker = std::thread([this] { readAll(); });
  while (!m_batch.take(row))
    if (!m_queue.take(m_batch)) return false;
  return true;
}

void BackgroundRows::readAll() {
  RowBatch batch;
  SheetRow row;
  try {
    for (bool more = true; more;) {
      more = m_rows->next(row);
      if (more) batch.add(row);
      if ((batch.size() >= kRowsPerBatch || !more) && !m_queue.put(batch)) return;
    }
    m_queue.finish(nullptr);
  } catch (...) {
    if (m_queue.put(batch)) m_queue.finish(std::current_exception());
  }
}

}  // namespace kpx::data::excel
