// A stream read on a thread of its own, a few pieces ahead of its reader, so that inflating a
// sheet and parsing it share the two cores instead of taking turns.
#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace kpx::data::excel {

class ReadAhead {
 public:
  // Reads up to `capacity` bytes into `out`; 0 at the end. Called on the reading thread only.
  using Source = std::function<size_t(char* out, size_t capacity)>;

  explicit ReadAhead(Source source);
  // Stops the thread, waiting for the source's read in progress.
  ~ReadAhead();
  ReadAhead(const ReadAhead&) = delete;
  ReadAhead& operator=(const ReadAhead&) = delete;

  // As the source's read. What the source threw is thrown here once the bytes read before it
  // are taken.
  size_t read(char* out, size_t capacity);
  // Bytes handed out by read() so far; any thread may ask.
  uint64_t delivered() const { return m_delivered.load(std::memory_order_relaxed); }

 private:
  void fill();

  static constexpr size_t kPieces = 4;
  static constexpr size_t kPieceSize = size_t(1) << 17;
  struct Piece {
    std::vector<char> bytes;
    size_t size = 0;
  };

  Source m_source;
  std::mutex m_mutex;
  std::condition_variable m_changed;
  // Pieces m_head .. m_head + m_full - 1 (round the ring) are filled and wait to be read; the
  // thread fills only the one after them, so neither side touches the other's bytes unlocked.
  Piece m_pieces[kPieces];
  size_t m_head = 0, m_full = 0, m_at = 0;
  bool m_end = false, m_stop = false;
  std::exception_ptr m_error;
  std::atomic<uint64_t> m_delivered{0};
  std::thread m_thread;
};

}  // namespace kpx::data::excel
