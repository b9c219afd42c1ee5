// The shared strings of a workbook, which cells refer to by number. A big workbook holds
// millions of them, more than should stay in memory: past a budget, the texts and where each
// ends go to an unnamed temporary file and are read back through a small cache.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kpx::data::excel {

class SharedStringTable {
 public:
  static constexpr size_t kDefaultBudget = size_t(1) << 20;

  // `memoryBudget` bytes of texts and offsets stay in memory; more go to the file.
  explicit SharedStringTable(size_t memoryBudget = kDefaultBudget);
  ~SharedStringTable();
  SharedStringTable(const SharedStringTable&) = delete;
  SharedStringTable& operator=(const SharedStringTable&) = delete;

  // Starts string number size(), empty until `extend` adds to it. Both throw
  // std::runtime_error when the temporary file cannot be made or written.
  void startString();
  void extend(std::string_view text);
  void add(std::string_view text) {
    startString();
    extend(text);
  }
  // Ends the adding; from then on any number of Readers may read the table at once.
  void finish();
  size_t size() const { return m_count; }

  // Reads strings back through a cache of its own: one per thread.
  class Reader {
   public:
    explicit Reader(const SharedStringTable& table) : m_table(table) {}
    // String `index` (below size()), valid until the next call. Throws std::runtime_error
    // when the temporary file cannot be read.
    std::string_view at(size_t index);

   private:
    struct Slot {
      uint64_t key = UINT64_MAX;
      uint64_t used = 0;
      std::string bytes;
    };
    Slot& cached(std::vector<Slot>& slots, uint64_t key, int fd, uint64_t offset, size_t size);
    uint64_t endOf(size_t index);

    const SharedStringTable& m_table;
    std::vector<Slot> m_offsets, m_texts;
    uint64_t m_clock = 0;
    std::string m_long;  // a string that does not lie within one cached block
  };

 private:
  static constexpr size_t kEndsPerBlock = 4096;
  static constexpr size_t kTextBlock = 32 * 1024;

  void spill();
  void flushTexts();
  void writeEnds();

  size_t m_budget;
  size_t m_count = 0;
  // In memory, every text end to end and where each ends; once spilled, the texts not yet
  // written and the ends of the offset block being filled.
  std::string m_chars;
  std::vector<uint64_t> m_ends;
  // Where the first string of each block of kEndsPerBlock strings begins.
  std::vector<uint64_t> m_blockBegins;
  int m_textFile = -1, m_endFile = -1;
  uint64_t m_textsWritten = 0, m_endsWritten = 0;
};

}  // namespace kpx::data::excel
