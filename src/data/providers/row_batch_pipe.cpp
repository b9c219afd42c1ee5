#include "data/providers/row_batch_pipe.h"

namespace kpx::data {

RowBatchPipe::RowBatchPipe(size_t batches, size_t valuesPerBatch,
                           std::function<void(RowBatch&)> consume)
    : m_consume(std::move(consume)) {
  for (size_t i = 0; i < std::max<size_t>(batches, 2); ++i) {
    m_all.push_back(std::make_unique<RowBatch>());
    m_all.back()->values.resize(valuesPerBatch);
    m_empty.push_back(m_all.back().get());
  }
  m_filling = m_empty.back();
  m_empty.pop_back();
  m_worker = std::thread([this] { work(); });
}

RowBatchPipe::~RowBatchPipe() {
  {
    std::lock_guard lock(m_mutex);
    m_stopping = true;
  }
  m_changed.notify_all();
  m_worker.join();
}

void RowBatchPipe::send() {
  std::unique_lock lock(m_mutex);
  throwFailure();
  m_sent.push_back(m_filling);
  m_filling = nullptr;
  m_changed.notify_all();
  m_changed.wait(lock, [this] { return !m_empty.empty() || m_failure; });
  throwFailure();
  m_filling = m_empty.back();
  m_empty.pop_back();
  m_filling->rows = 0;
}

void RowBatchPipe::drain() {
  std::unique_lock lock(m_mutex);
  m_changed.wait(lock, [this] { return (m_sent.empty() && !m_consuming) || m_failure; });
  throwFailure();
}

void RowBatchPipe::throwFailure() {
  if (m_failure) std::rethrow_exception(m_failure);
}

void RowBatchPipe::work() {
  std::unique_lock lock(m_mutex);
  for (;;) {
    m_changed.wait(lock, [this] { return !m_sent.empty() || m_stopping; });
    if (m_stopping) return;
    RowBatch* batch = m_sent.front();
    m_sent.pop_front();
    m_consuming = true;
    lock.unlock();
    std::exception_ptr failure;
    try {
      m_consume(*batch);
    } catch (...) {
      failure = std::current_exception();
    }
    lock.lock();
    m_consuming = false;
    m_empty.push_back(batch);
    m_changed.notify_all();
    if (failure) {
      // The rows after a failed batch are not inserted: the producer hears of it and stops.
      m_failure = failure;
      return;
    }
  }
}

}  // namespace kpx::data
