// Little-endian reads from a byte range that never run past its end: every structure the
// readers parse comes from an untrusted file.
#pragma once
#include <cstdint>
#include <cstring>
#include <string_view>

namespace kpx::data::excel {

struct OutOfBounds {};

class ByteReader {
 public:
  explicit ByteReader(std::string_view bytes) : m_bytes(bytes) {}
  size_t size() const { return m_bytes.size(); }
  size_t position() const { return m_pos; }
  size_t remaining() const { return m_bytes.size() - m_pos; }
  void seek(size_t pos) { m_pos = pos <= m_bytes.size() ? pos : throw OutOfBounds{}; }
  void skip(size_t n) { take(n); }
  uint8_t u8() { return uint8_t(take(1)[0]); }
  uint16_t u16() {
    auto b = take(2);
    return uint16_t(uint8_t(b[0]) | uint8_t(b[1]) << 8);
  }
  uint32_t u32() {
    auto b = take(4);
    return uint32_t(uint8_t(b[0])) | uint32_t(uint8_t(b[1])) << 8 | uint32_t(uint8_t(b[2])) << 16 |
           uint32_t(uint8_t(b[3])) << 24;
  }
  double f64() {
    auto b = take(8);
    double d;
    std::memcpy(&d, b.data(), 8);
    return d;
  }
  // The next n bytes; OutOfBounds when fewer remain.
  std::string_view take(size_t n) {
    if (n > remaining()) throw OutOfBounds{};
    auto v = m_bytes.substr(m_pos, n);
    m_pos += n;
    return v;
  }

 private:
  std::string_view m_bytes;
  size_t m_pos = 0;
};

inline void putU16(std::string& out, uint32_t v) {
  out += char(v & 0xFF);
  out += char((v >> 8) & 0xFF);
}
inline void putU32(std::string& out, uint32_t v) {
  putU16(out, v & 0xFFFF);
  putU16(out, v >> 16);
}
inline void putF64(std::string& out, double d) {
  char b[8];
  std::memcpy(b, &d, 8);
  out.append(b, 8);
}

}  // namespace kpx::data::excel
