#include "data/providers/excel/read_ahead.h"

#include <algorithm>
#include <cstring>

namespace kpx::data::excel {

ReadAhead::ReadAhead(Source source) : m_source(std::move(source)) {}

ReadAhead::~ReadAhead() {
  if (!m_thread.joinable()) return;
  {
    std::lock_guard lock(m_mutex);
    m_stop = true;
  }
  m_changed.notify_all();
  m_thread.join();
}

void ReadAhead::fill() {
  for (;;) {
    Piece* piece;
    {
      std::unique_lock lock(m_mutex);
      m_changed.wait(lock, [&] { return m_full < kPieces || m_stop; });
      if (m_stop) return;
      piece = &m_pieces[(m_head + m_full) % kPieces];
    }
    piece->bytes.resize(kPieceSize);
    size_t n = 0;
    std::exception_ptr error;
    try {
      n = m_source(piece->bytes.data(), kPieceSize);
    } catch (...) {
      error = std::current_exception();
    }
    {
      std::lock_guard lock(m_mutex);
      if (n > 0) {
        piece->size = n;
        ++m_full;
      } else {
        m_end = true;
        m_error = error;
      }
    }
    m_changed.notify_all();
    if (n == 0) return;
  }
}

size_t ReadAhead::read(char* out, size_t capacity) {
  // Started by the first read, so that a stream opened only to be dropped costs no thread.
  if (!m_thread.joinable() && !m_end) m_thread = std::thread([this] { fill(); });
  Piece* piece;
  {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return m_full > 0 || m_end; });
    if (m_full == 0) {
      if (m_error) std::rethrow_exception(m_error);
      return 0;
    }
    piece = &m_pieces[m_head];
  }
  const size_t n = std::min(capacity, piece->size - m_at);
  std::memcpy(out, piece->bytes.data() + m_at, n);
  m_at += n;
  m_delivered.fetch_add(n, std::memory_order_relaxed);
  if (m_at == piece->size) {
    {
      std::lock_guard lock(m_mutex);
      m_head = (m_head + 1) % kPieces;
      --m_full;
      m_at = 0;
    }
    m_changed.notify_all();
  }
  return n;
}

}  // namespace kpx::data::excel
