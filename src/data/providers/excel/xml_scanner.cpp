#include "data/providers/excel/xml_scanner.h"

#include <array>
#include <cstring>

namespace kpx::data::excel {
namespace {

// Expat's words for the same faults, so that a message reads alike whoever found it.
constexpr const char* kInvalidToken = "not well-formed (invalid token)";
constexpr const char* kUnclosed = "unclosed token";
constexpr const char* kNoElement = "no element found";
constexpr const char* kMismatched = "mismatched tag";
constexpr const char* kJunk = "junk after document element";
constexpr const char* kUndefinedEntity = "undefined entity";
constexpr const char* kBadCharacter = "reference to invalid character number";
constexpr const char* kDuplicate = "duplicate attribute";
constexpr const char* kMisplacedDeclaration = "XML or text declaration not at start of entity";
constexpr const char* kBadDeclaration = "XML declaration not well-formed";

using Byte = unsigned char;

constexpr std::array<bool, 256> kSpace = [] {
  std::array<bool, 256> space{};
  space[' '] = space['\t'] = space['\n'] = space['\r'] = true;
  return space;
}();
constexpr bool isSpace(Byte c) {
  return kSpace[c];
}
constexpr bool isLetter(Byte c) {
  return (c | 0x20) >= 'a' && (c | 0x20) <= 'z';
}
constexpr bool isDigit(Byte c) {
  return c >= '0' && c <= '9';
}
constexpr bool isNameStart(Byte c) {
  return isLetter(c) || c == '_' || c == ':' || c >= 0x80;
}
constexpr std::array<bool, 256> kNameChar = [] {
  std::array<bool, 256> name{};
  for (int c = 0; c < 0x80; ++c)
    name[size_t(c)] = isNameStart(Byte(c)) || isDigit(Byte(c)) || c == '-' || c == '.';
  return name;
}();

// Bytes copied as they are in character data and attribute values.
constexpr std::array<bool, 256> kPlain = [] {
  std::array<bool, 256> plain{};
  for (int c = 0x20; c < 0x80; ++c) plain[size_t(c)] = c != '&' && c != '<' && c != ']';
  return plain;
}();

// Bytes of text that decoding leaves as they are.
constexpr std::array<bool, 256> kPlainInText = [] {
  std::array<bool, 256> plain = kPlain;
  plain['\n'] = plain['\t'] = true;
  return plain;
}();

// Bytes of an attribute value that need no decoding and do not end it.
constexpr std::array<bool, 256> kPlainInValue = [] {
  std::array<bool, 256> plain = kPlain;
  plain['"'] = plain['\''] = false;
  return plain;
}();

// The length of the UTF-8 sequence at `p` when it is whole before `end` and a character XML
// allows; 0 otherwise.
size_t utf8Length(const Byte* p, const Byte* end) {
  const Byte c = p[0];
  auto follows = [&](size_t i, Byte lo, Byte hi) {
    return p + i < end && p[i] >= lo && p[i] <= hi;
  };
  if (c < 0xC2) return 0;
  if (c < 0xE0) return follows(1, 0x80, 0xBF) ? 2 : 0;
  if (c < 0xF0) {
    if (!follows(1, c == 0xE0 ? 0xA0 : 0x80, c == 0xED ? 0x9F : 0xBF) || !follows(2, 0x80, 0xBF))
      return 0;
    return c == 0xEF && p[1] == 0xBF && p[2] >= 0xBE ? 0 : 3;  // U+FFFE and U+FFFF
  }
  if (c > 0xF4) return 0;
  return follows(1, c == 0xF0 ? 0x90 : 0x80, c == 0xF4 ? 0x8F : 0xBF) && follows(2, 0x80, 0xBF) &&
                 follows(3, 0x80, 0xBF)
             ? 4
             : 0;
}

bool isXmlCharacter(uint32_t c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
         (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

char* putUtf8(char* o, uint32_t c) {
  if (c < 0x80) {
    *o++ = char(c);
  } else if (c < 0x800) {
    *o++ = char(0xC0 | (c >> 6));
    *o++ = char(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    *o++ = char(0xE0 | (c >> 12));
    *o++ = char(0x80 | ((c >> 6) & 0x3F));
    *o++ = char(0x80 | (c & 0x3F));
  } else {
    *o++ = char(0xF0 | (c >> 18));
    *o++ = char(0x80 | ((c >> 12) & 0x3F));
    *o++ = char(0x80 | ((c >> 6) & 0x3F));
    *o++ = char(0x80 | (c & 0x3F));
  }
  return o;
}

// memchr for the short distances of markup: a value, a tag, a cell's number. A call per quote
// cost more than the search.
inline char* findByte(char* from, char* end, char c) {
  for (char* p = from; p < end && p < from + 16; ++p)
    if (*p == c) return p;
  if (end - from <= 16) return nullptr;
  return static_cast<char*>(std::memchr(from + 16, c, size_t(end - from - 16)));
}

// Whether the `length` bytes at `a` and `b` are the same; names of a sheet are a letter or two,
// too short for a call.
inline bool sameBytes(const char* a, const char* b, size_t length) {
  for (size_t i = 0; i < length; ++i)
    if (a[i] != b[i]) return false;
  return true;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if ((Byte(a[i]) | 0x20) != (Byte(b[i]) | 0x20)) return false;
  return true;
}

size_t newlines(const char* from, const char* to) {
  size_t n = 0;
  for (const char* s = from; (s = static_cast<const char*>(std::memchr(s, '\n', size_t(to - s))));
       ++s)
    ++n;
  return n;
}

}  // namespace

// Lines are counted over the bytes as read: what is about to be changed in place (decoded,
// or names ended with '\0') is counted first, and a fault inside it is counted back from there.
void XmlScanner::countLinesTo(const char* to) {
  const char* from = m_buf.data() + m_counted;
  if (to <= from) return;
  m_line += newlines(from, to);
  m_counted = size_t(to - m_buf.data());
}

char* XmlScanner::space(size_t n) {
  if (m_begin > 0) {
    countLinesTo(m_buf.data() + m_begin);
    const char* to = m_buf.data() + m_begin;
    std::memmove(m_buf.data(), to, m_end - m_begin);
    m_end -= m_begin;
    m_begin = m_counted = 0;
  }
  // One more for the '\0' that scan puts after the bytes (see leaf).
  if (m_buf.size() < m_end + n + 1) m_buf.resize(m_end + n + 1);
  return m_buf.data() + m_end;
}

void XmlScanner::scan(size_t n, bool last) {
  m_end += n;
  m_buf[m_end] = '\0';
  m_last = last;
  if (m_where == Where::Start && !declaration()) return;
  while (m_begin < m_end)
    if (!(m_buf[m_begin] == '<' ? markup() : text())) return;
  if (last && m_where != Where::Epilog) fail(nullptr, kNoElement);
}

void XmlScanner::fail(const char* at, const char* what) {
  const char* counted = m_buf.data() + m_counted;
  const char* to = at ? at : m_buf.data() + m_end;
  throw XmlSyntaxError(
      to >= counted ? m_line + newlines(counted, to) : m_line - newlines(to, counted), what);
}

// Finds `closing` after the first `skip` bytes of the markup at `p`; false while it may still
// come.
bool XmlScanner::delimited(char* p, size_t skip, std::string_view closing, char*& found) {
  std::string_view rest(p, size_t(m_buf.data() + m_end - p));
  size_t at = skip <= rest.size() ? rest.find(closing, skip) : std::string_view::npos;
  if (at != std::string_view::npos) {
    found = p + at;
    return true;
  }
  if (!m_last) return false;
  fail(p, kUnclosed);
}

// The byte order mark and the XML declaration; false while too little has come to tell.
bool XmlScanner::declaration() {
  char* p = m_buf.data() + m_begin;
  size_t have = m_end - m_begin;
  if (have < 9 && !m_last) return false;
  if (have >= 3 && std::memcmp(p, "\xEF\xBB\xBF", 3) == 0) p += 3, have -= 3;
  if (have >= 1 && (p[0] == 0 || Byte(p[0]) >= 0xFE)) throw XmlNeedsFullParser{};
  if (have >= 2 && p[1] == 0) throw XmlNeedsFullParser{};
  if (have >= 6 && std::memcmp(p, "<?xml", 5) == 0 && isSpace(Byte(p[5]))) {
    char* close;
    if (!delimited(p, 5, "?>", close)) return false;
    // version, then encoding and standalone, each optional, in that order
    static constexpr std::string_view kKeys[] = {"version", "encoding", "standalone"};
    size_t next = 0;
    std::string_view encoding;
    for (const char* s = p + 5;;) {
      const char* gap = s;
      while (s < close && isSpace(Byte(*s))) ++s;
      if (s == close) break;
      const char* key = s;
      while (s < close && isLetter(Byte(*s))) ++s;
      size_t k = next;
      while (k < 3 && kKeys[k] != std::string_view(key, size_t(s - key))) ++k;
      if (gap == key || k == 3 || (next == 0 && k != 0)) fail(key, kBadDeclaration);
      next = k + 1;
      while (s < close && isSpace(Byte(*s))) ++s;
      if (s == close || *s++ != '=') fail(s, kBadDeclaration);
      while (s < close && isSpace(Byte(*s))) ++s;
      if (s == close || (*s != '"' && *s != '\'')) fail(s, kBadDeclaration);
      const char quote = *s++;
      const char* value = s;
      while (s < close && *s != quote) {
        if (!isLetter(Byte(*s)) && !isDigit(Byte(*s)) && *s != '.' && *s != '-' && *s != '_')
          fail(s, kBadDeclaration);
        ++s;
      }
      if (s == close) fail(s, kBadDeclaration);
      std::string_view v(value, size_t(s++ - value));
      if ((k == 1 && (v.empty() || !isLetter(Byte(v[0])))) || (k == 2 && v != "yes" && v != "no"))
        fail(value, kBadDeclaration);
      if (k == 1) encoding = v;
    }
    if (next == 0) fail(p, kBadDeclaration);
    if (!encoding.empty() && !equalsIgnoringCase(encoding, "UTF-8")) throw XmlNeedsFullParser{};
    p = close + 2;
  }
  m_begin = size_t(p - m_buf.data());
  m_where = Where::Prolog;
  return true;
}

// A name at `p` (names are checked for their ASCII characters; any other character is
// allowed); its end.
char* XmlScanner::name(char* p, char* end) {
  if (p >= end || !isNameStart(Byte(*p))) fail(p, kInvalidToken);
  while (p < end) {
    const Byte c = Byte(*p);
    if (kNameChar[c]) {
      ++p;
    } else if (c < 0x80) {
      break;
    } else {
      size_t n = utf8Length(reinterpret_cast<Byte*>(p), reinterpret_cast<Byte*>(end));
      if (n == 0) fail(p, kInvalidToken);
      p += n;
    }
  }
  return p;
}

// Decodes the run [from, to) in place and returns its new end: references replaced (in text
// and attribute values), line ends normalised, every character checked.
char* XmlScanner::decode(char* from, char* to, Run run) {
  char* s = from;
  while (s < to && kPlain[Byte(*s)]) ++s;
  char* o = s;
  const bool references = run == Run::Text || run == Run::Attribute;
  while (s < to) {
    const Byte c = Byte(*s);
    if (kPlain[c]) {
      *o++ = *s++;
    } else if (c >= 0x80) {
      size_t n = utf8Length(reinterpret_cast<Byte*>(s), reinterpret_cast<Byte*>(to));
      if (n == 0) fail(s, kInvalidToken);
      std::memmove(o, s, n);
      o += n, s += n;
    } else if (c == '&' && references) {
      char* semi = static_cast<char*>(std::memchr(s + 1, ';', size_t(to - s - 1)));
      if (!semi) fail(s, kInvalidToken);
      std::string_view ref(s + 1, size_t(semi - s - 1));
      if (ref.size() > 1 && ref[0] == '#') {
        const bool hex = ref[1] == 'x';
        std::string_view digits = ref.substr(hex ? 2 : 1);
        if (digits.empty()) fail(s, kInvalidToken);
        uint32_t code = 0;
        for (char d : digits) {
          uint32_t v = isDigit(Byte(d)) ? uint32_t(d - '0')
                       : hex && (d | 0x20) >= 'a' && (d | 0x20) <= 'f'
                           ? uint32_t((d | 0x20) - 'a' + 10)
                           : 99;
          if (v == 99) fail(s, kInvalidToken);
          code = code > 0x10FFFF ? code : code * (hex ? 16 : 10) + v;
        }
        if (!isXmlCharacter(code)) fail(s, kBadCharacter);
        o = putUtf8(o, code);
      } else if (ref == "lt" || ref == "gt" || ref == "amp" || ref == "quot" || ref == "apos") {
        *o++ = ref == "lt"     ? '<'
               : ref == "gt"   ? '>'
               : ref == "amp"  ? '&'
               : ref == "quot" ? '"'
                               : '\'';
      } else {
        name(s + 1, semi) == semi ? fail(s, kUndefinedEntity) : fail(s, kInvalidToken);
      }
      s = semi + 1;
    } else if (c == '\r') {
      *o++ = run == Run::Attribute ? ' ' : '\n';
      if (++s < to && *s == '\n') ++s;
    } else if (c == '\n' || c == '\t') {
      *o++ = run == Run::Attribute ? ' ' : char(c);
      ++s;
    } else if (c == ']') {
      if (run == Run::Text && to - s >= 3 && s[1] == ']' && s[2] == '>') fail(s, kInvalidToken);
      *o++ = *s++;
    } else if ((c == '<' && run != Run::Attribute) || c == '&') {
      *o++ = *s++;
    } else {
      fail(s, kInvalidToken);
    }
  }
  return o;
}

bool XmlScanner::text() {
  char* p = m_buf.data() + m_begin;
  char* end = m_buf.data() + m_end;
  char* stop = findByte(p, end, '<');
  if (!stop) {
    stop = end;
    if (!m_last) {
      // Keeps back what the next piece may complete: "\r\n", a character, a reference, and
      // "]]>" (not allowed in text), so every "]" waits for what follows it. A "\r" ending the
      // run would be read as a line end of its own before the "\n" of the next piece.
      stop = end - p > 3 ? end - 3 : p;
      while (stop > p && (Byte(*stop) & 0xC0) == 0x80) --stop;
      while (stop > p && (stop[-1] == ']' || stop[-1] == '\r')) --stop;
      char* amp = static_cast<char*>(memrchr(p, '&', size_t(stop - p)));
      if (amp && !std::memchr(amp, ';', size_t(stop - amp))) stop = amp;
      if (stop == p) return false;
    }
  }
  if (m_where == Where::Content) {
    countLinesTo(stop);
    char* out = decode(p, stop, Run::Text);
    if (out > p) m_handler.text(std::string_view(p, size_t(out - p)));
  } else {
    for (char* s = p; s < stop; ++s)
      if (!isSpace(Byte(*s))) fail(s, m_where == Where::Epilog ? kJunk : kInvalidToken);
  }
  m_begin = size_t(stop - m_buf.data());
  return true;
}

bool XmlScanner::markup() {
  char* p = m_buf.data() + m_begin;
  char* end = m_buf.data() + m_end;
  const size_t have = size_t(end - p);
  if (have < 2) {
    if (!m_last) return false;
    fail(p, kUnclosed);
  }
  if (p[1] == '/') return endTag(p);
  char* close;
  if (p[1] == '?') {
    if (!delimited(p, 2, "?>", close)) return false;
    char* target = name(p + 2, close);
    if (equalsIgnoringCase(std::string_view(p + 2, size_t(target - p - 2)), "xml"))
      fail(p, kMisplacedDeclaration);
    if (target < close && !isSpace(Byte(*target))) fail(target, kInvalidToken);
    countLinesTo(close);
    decode(target, close, Run::Check);
    m_begin = size_t(close + 2 - m_buf.data());
    return true;
  }
  if (p[1] == '!') {
    auto startsWith = [&](std::string_view s) {
      return std::string_view(p, std::min(have, s.size())) == s.substr(0, std::min(have, s.size()));
    };
    if (startsWith("<!--") && have >= 4) {
      if (!delimited(p, 4, "--", close)) return false;
      if (close + 2 >= end) {
        if (!m_last) return false;
        fail(p, kUnclosed);
      }
      if (close[2] != '>') fail(close, kInvalidToken);
      countLinesTo(close);
      decode(p + 4, close, Run::Check);
      m_begin = size_t(close + 3 - m_buf.data());
      return true;
    }
    if (startsWith("<![CDATA[") && have >= 9 && m_where == Where::Content) {
      if (!delimited(p, 9, "]]>", close)) return false;
      countLinesTo(close);
      char* out = decode(p + 9, close, Run::Cdata);
      if (out > p + 9) m_handler.text(std::string_view(p + 9, size_t(out - p - 9)));
      m_begin = size_t(close + 3 - m_buf.data());
      return true;
    }
    if (startsWith("<!DOCTYPE") && have >= 9 && m_where == Where::Prolog)
      throw XmlNeedsFullParser{};
    if (!m_last && have < 9 &&
        (startsWith("<!--") || startsWith("<![CDATA[") || startsWith("<!DOCTYPE")))
      return false;
    fail(p, kInvalidToken);
  }
  // A start tag ends at the first '>' outside its quoted values. The first '>' is taken for
  // it; startTag looks further when that one lies inside a value.
  if (!m_starts.empty() && leaf(p, end)) return true;
  close = static_cast<char*>(std::memchr(p + 1, '>', have - 1));
  if (close) return startTag(p, close);
  if (!m_last) return false;
  fail(p, kUnclosed);
}

// The end of the name at `p` when it is all ASCII, as name() finds it; else name()'s answer.
// Almost every name of a sheet is one or two ASCII letters, worth not a call each.
inline char* XmlScanner::shortName(char* p, char* end) {
  if (p < end && isNameStart(Byte(*p)) && Byte(*p) < 0x80) {
    char* q = p + 1;
    while (q < end && kNameChar[Byte(*q)]) ++q;
    if (q == end || Byte(*q) < 0x80) return q;
  }
  return name(p, end);
}

bool XmlScanner::startTag(char* p, char* close) {
  char* const end = m_buf.data() + m_end;
  size_t count = 0;
  // Nothing in the buffer changes until the tag's end is known: a tag that the next piece
  // completes is read again from its start.
  char* q = shortName(p + 1, close);
  char* elementEnd = q;
  bool empty = false;
  for (;;) {
    char* gap = q;
    while (isSpace(Byte(*q))) ++q;
    if (*q == '>') break;
    if (*q == '/') {
      if (q + 1 != close) fail(q, kInvalidToken);
      empty = true;
      break;
    }
    if (q == gap) fail(q, kInvalidToken);
    // Grown, never shrunk: a tag costs no allocation and no clearing.
    if (count == m_found.size()) m_found.resize(2 * count + 8);
    Attribute& a = m_found[count++];
    a.name = q;
    q = a.nameEnd = shortName(q, close);
    while (isSpace(Byte(*q))) ++q;
    if (*q++ != '=') fail(q - 1, kInvalidToken);
    while (isSpace(Byte(*q))) ++q;
    const char quote = *q;
    if (quote != '"' && quote != '\'') fail(q, kInvalidToken);
    // One look at each byte finds the end of a value that needs no decoding, as most do.
    a.value = ++q;
    while (q < close && kPlainInValue[Byte(*q)]) ++q;
    a.plain = q < close && *q == quote;
    char* valueEnd = a.plain ? q : findByte(q, close, quote);
    if (!valueEnd) {
      // The '>' taken for the end is inside this value: the tag ends after it.
      valueEnd = findByte(close + 1, end, quote);
      close = valueEnd ? findByte(valueEnd + 1, end, '>') : nullptr;
      if (!close) {
        if (!m_last) return false;
        fail(p, kUnclosed);
      }
    }
    a.valueEnd = valueEnd;
    q = valueEnd + 1;
  }
  if (m_where == Where::Epilog) fail(p, kJunk);
  refuseDuplicates(0, count);
  countLinesTo(close);
  terminate(count);
  *elementEnd = '\0';

  const std::string_view element(p + 1, size_t(elementEnd - p - 1));
  m_where = Where::Content;
  m_handler.start(localName(element), m_attrs.data());
  if (empty) {
    m_handler.end(localName(element));
    if (m_starts.empty()) m_where = Where::Epilog;
  } else {
    m_starts.push_back(m_open.size());
    m_open.append(element.data(), element.size() + 1);  // with the '\0' written after it
  }
  m_begin = size_t(close + 1 - m_buf.data());
  return true;
}

void XmlScanner::refuseDuplicates(size_t from, size_t to) {
  for (size_t i = from + 1; i < to; ++i) {
    const Attribute& a = m_found[i];
    const size_t length = size_t(a.nameEnd - a.name);
    for (size_t j = from; j < i; ++j) {
      const Attribute& b = m_found[j];
      if (b.name[0] == a.name[0] && size_t(b.nameEnd - b.name) == length &&
          std::memcmp(a.name, b.name, length) == 0)
        fail(a.name, kDuplicate);
    }
  }
}

// Decodes the values of the `count` attributes found and ends each name and value with '\0',
// listing them in m_attrs.
void XmlScanner::terminate(size_t count) {
  if (m_attrs.size() < 2 * count + 1) m_attrs.resize(2 * count + 1);
  for (size_t i = 0; i < count; ++i) {
    const Attribute& a = m_found[i];
    *(a.plain ? a.valueEnd : decode(a.value, a.valueEnd, Run::Attribute)) = '\0';
    *a.nameEnd = '\0';
    m_attrs[2 * i] = a.name;
    m_attrs[2 * i + 1] = a.value;
  }
  m_attrs[2 * count] = nullptr;
}

namespace {

// The end of the ASCII name at `s`, or null when none starts there.
char* asciiName(char* s) {
  if (Byte(*s) >= 0x80 || !isNameStart(Byte(*s))) return nullptr;
  for (++s; kNameChar[Byte(*s)]; ++s) {
  }
  return s;
}

// A name of one letter cannot have a prefix.
std::string_view shortLocalName(std::string_view name) {
  return name.size() == 1 ? name : localName(name);
}

}  // namespace

// Adds to m_found the attributes from `q` (just after a tag's name) to the tag's '>' or '/',
// which it returns; null when a name is not ASCII or a value needs decoding.
char* XmlScanner::plainAttributes(char* q, size_t& count, bool& mayRepeat) {
  // Names of one character seen so far, a bit each; longer names are compared by
  // refuseDuplicates.
  uint64_t seen[2] = {0, 0};
  for (;;) {
    if (*q == '>' || *q == '/') return q;
    if (!isSpace(Byte(*q))) return nullptr;
    do {
      ++q;
    } while (isSpace(Byte(*q)));
    if (*q == '>' || *q == '/') return q;
    char* name = q;
    if (!(q = asciiName(q))) return nullptr;
    char* nameEnd = q;
    if (nameEnd - name == 1) {
      const uint64_t bit = uint64_t(1) << (Byte(*name) & 63);
      mayRepeat |= (seen[Byte(*name) >> 6] & bit) != 0;
      seen[Byte(*name) >> 6] |= bit;
    } else {
      mayRepeat = true;
    }
    while (isSpace(Byte(*q))) ++q;
    if (*q != '=') return nullptr;
    do {
      ++q;
    } while (isSpace(Byte(*q)));
    const char quote = *q;
    if (quote != '"' && quote != '\'') return nullptr;
    char* value = ++q;
    while (kPlainInValue[Byte(*q)]) ++q;
    if (*q != quote) return nullptr;
    if (count == m_found.size()) m_found.resize(2 * count + 8);
    m_found[count++] = {name, nameEnd, value, q, true};
    ++q;
  }
}

// Most cells of a sheet and shared strings in one pass: an element inside the root, with ASCII
// names and attribute values that need no decoding, empty (<c r="A1"/>) or holding one child
// and its text, which needs no decoding either (<c r="A1"><v>1</v></c>, <si><t>a</t></si>).
// Whatever else it meets, including a leaf the buffer does not hold whole, it leaves to the
// general path without changing anything. The buffer ends in a '\0' (scan puts it there),
// which no name, value or text byte is: the loops stop at the end without looking for it.
bool XmlScanner::leaf(char* p, char* end) {
  char* const element = p + 1;
  char* const elementEnd = asciiName(element);
  if (!elementEnd) return false;
  size_t count = 0;
  bool mayRepeat = false;
  char* q = plainAttributes(elementEnd, count, mayRepeat);
  if (!q) return false;
  const size_t elementCount = count;
  const bool elementMayRepeat = mayRepeat;
  const std::string_view elementName(element, size_t(elementEnd - element));
  char* after;  // the first byte after the leaf
  char* child = nullptr;
  char* childEnd = nullptr;
  char* childClose = nullptr;
  char* content = nullptr;
  if (*q == '/') {
    if (q[1] != '>') return false;
    after = q + 2;
  } else {
    // '>', then the child's start tag, its text, its end tag and the element's end tag.
    if (*++q != '<') return false;
    child = q + 1;
    if (!(childEnd = asciiName(child))) return false;
    mayRepeat = false;
    if (!(childClose = plainAttributes(childEnd, count, mayRepeat)) || *childClose != '>')
      return false;
    content = childClose + 1;
    // Text is what decoding would leave as it is: no reference, no "\r", whole characters.
    for (q = content;;) {
      while (kPlainInText[Byte(*q)]) ++q;
      if (Byte(*q) < 0x80) break;
      const size_t n = utf8Length(reinterpret_cast<Byte*>(q), reinterpret_cast<Byte*>(end));
      if (n == 0) break;
      q += n;
    }
    const size_t childLength = size_t(childEnd - child);
    const size_t elementLength = elementName.size();
    // "</child></element>"
    if (size_t(end - q) < childLength + elementLength + 6 || q[0] != '<' || q[1] != '/' ||
        !sameBytes(q + 2, child, childLength) || q[2 + childLength] != '>' ||
        q[3 + childLength] != '<' || q[4 + childLength] != '/' ||
        !sameBytes(q + 5 + childLength, element, elementLength) ||
        q[5 + childLength + elementLength] != '>')
      return false;
    after = q + 6 + childLength + elementLength;
  }
  // Refused in the order the general path would refuse them.
  if (elementMayRepeat) refuseDuplicates(0, elementCount);
  if (mayRepeat && child) refuseDuplicates(elementCount, count);
  // A name may end at a line end, which its '\0' replaces: the lines are counted first then.
  bool lineEndReplaced = *elementEnd == '\n' || (child && *childEnd == '\n');
  for (size_t i = 0; i < count; ++i) lineEndReplaced |= *m_found[i].nameEnd == '\n';
  if (lineEndReplaced) countLinesTo(after);
  // The element's attributes, a null, the child's, a null.
  if (m_attrs.size() < 2 * count + 2) m_attrs.resize(2 * count + 2);
  const char** attrs = m_attrs.data();
  for (size_t i = 0, at = 0; i < count; ++i) {
    const Attribute& a = m_found[i];
    *a.valueEnd = *a.nameEnd = '\0';
    if (i == elementCount) attrs[at++] = nullptr;
    attrs[at++] = a.name;
    attrs[at++] = a.value;
  }
  attrs[2 * elementCount] = nullptr;
  attrs[2 * count + 1] = nullptr;
  *elementEnd = '\0';
  if (child) {
    *childEnd = '\0';
    m_handler.leaf(shortLocalName(elementName), attrs,
                   shortLocalName(std::string_view(child, size_t(childEnd - child))),
                   attrs + 2 * elementCount + 1, std::string_view(content, size_t(q - content)));
  } else {
    m_handler.start(shortLocalName(elementName), attrs);
    m_handler.end(shortLocalName(elementName));
  }
  m_begin = size_t(after - m_buf.data());
  return true;
}

bool XmlScanner::endTag(char* p) {
  char* end = m_buf.data() + m_end;
  const size_t open = m_starts.empty() ? 0 : m_starts.back();
  const size_t length = m_starts.empty() ? 0 : m_open.size() - 1 - open;
  // Almost always the name of the element open last, then '>': compared in place, it needs
  // neither the search for the end nor the reading of the name.
  char* close = nullptr;
  if (!m_starts.empty() && size_t(end - p) > length + 2 && p[length + 2] == '>' &&
      sameBytes(p + 2, m_open.data() + open, length))
    close = p + length + 2;
  if (!close) {
    close = findByte(p + 2, end, '>');
    if (!close) {
      if (!m_last) return false;
      fail(p, kUnclosed);
    }
    char* q = shortName(p + 2, close);
    const size_t named = size_t(q - p - 2);
    while (isSpace(Byte(*q))) ++q;
    if (q != close) fail(q, kInvalidToken);
    if (m_starts.empty()) fail(p, m_where == Where::Epilog ? kJunk : kInvalidToken);
    if (named != length || !sameBytes(p + 2, m_open.data() + open, length)) fail(p, kMismatched);
  }
  m_open.resize(open);
  m_starts.pop_back();
  m_handler.end(localName(std::string_view(p + 2, length)));
  if (m_starts.empty()) m_where = Where::Epilog;
  m_begin = size_t(close + 1 - m_buf.data());
  return true;
}

}  // namespace kpx::data::excel
