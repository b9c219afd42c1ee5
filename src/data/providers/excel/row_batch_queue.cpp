#include "data/providers/excel/row_batch_queue.h"

#include <utility>

namespace kpx::data::excel {

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
