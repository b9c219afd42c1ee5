#include "data/providers/excel/biff_writer.h"

#include <cmath>
#include <unordered_map>

#include "data/providers/excel/byte_reader.h"
#include "data/providers/excel/compound_file.h"
#include "data/providers/excel/number_format.h"

namespace kpx::data::excel {
namespace {

constexpr size_t kMaxRecord = 8224;

// Cell formats after the 15 style formats and the default cell format (15).
enum : uint16_t { kXfGeneral = 15, kXfDate = 16, kXfDateTime = 17, kXfCurrency = 18 };

void record(std::string& out, uint16_t id, std::string_view data) {
  putU16(out, id);
  putU16(out, uint32_t(data.size()));
  out.append(data);
}

std::string bof(uint16_t type) {
  std::string d;
  putU16(d, 0x0600);
  putU16(d, type);
  putU16(d, 0x0DBB);
  putU16(d, 0x07CC);
  putU32(d, 0);
  putU32(d, 0x06);
  return d;
}

std::string xf(uint16_t format, bool style) {
  std::string d;
  putU16(d, 0);
  putU16(d, format);
  putU16(d, style ? 0xFFF5 : 0x0001);
  d += char(0x20);  // bottom aligned
  d += char(0);
  d += char(0);
  d += char(style || format == 0 ? 0 : 0x04);  // the number format differs from the style's
  putU32(d, 0);
  putU32(d, 0);
  putU16(d, 0x20C0);
  return d;
}

std::string format(uint16_t id, std::string_view code) {
  std::string d;
  putU16(d, id);
  putU16(d, uint32_t(code.size()));
  d += char(0);
  d.append(code);
  return d;
}

// The shared string table, split into CONTINUE records where it outgrows one record. A
// string's characters may be split; the continuation repeats the option byte.
void sharedStrings(std::string& out, const std::vector<std::string>& utf16, uint32_t total) {
  std::vector<std::string> records(1);
  putU32(records[0], total);
  putU32(records[0], uint32_t(utf16.size()));
  for (const std::string& s : utf16) {
    if (records.back().size() + 3 + 2 > kMaxRecord) records.emplace_back();
    putU16(records.back(), uint32_t(s.size() / 2));
    records.back() += char(1);
    size_t done = 0;
    while (done < s.size()) {
      size_t room = (kMaxRecord - records.back().size()) & ~size_t(1);
      if (room == 0) {
        records.emplace_back(1, char(1));
        continue;
      }
      size_t take = std::min(room, s.size() - done);
      records.back().append(s, done, take);
      done += take;
    }
  }
  for (size_t i = 0; i < records.size(); ++i) record(out, i == 0 ? 0x00FC : 0x003C, records[i]);
}

}  // namespace

std::string writeXls(const Workbook& workbook) {
  std::vector<std::string> strings;
  std::unordered_map<std::string, uint32_t> stringIndex;
  uint32_t stringUses = 0;

  std::vector<std::string> sheetStreams;
  for (const Sheet& sheet : workbook.sheets) {
    std::string s;
    record(s, 0x0809, bof(0x0010));
    uint32_t rows = uint32_t(sheet.usedRows());
    uint16_t cols = 0;
    for (uint32_t r = 0; r < rows; ++r)
      cols = std::max<uint16_t>(cols, uint16_t(sheet.rows[r].size()));
    std::string dim;
    putU32(dim, 0);
    putU32(dim, rows);
    putU16(dim, 0);
    putU16(dim, cols);
    putU16(dim, 0);
    record(s, 0x0200, dim);
    std::string window;
    putU16(window, sheetStreams.empty() ? 0x06B6 : 0x00B6);
    putU16(window, 0);
    putU16(window, 0);
    putU32(window, 0x40);
    putU16(window, 0);
    putU16(window, 0);
    putU32(window, 0);
    record(s, 0x023E, window);
    for (uint32_t r = 0; r < rows; ++r) {
      for (uint32_t c = 0; c < sheet.rows[r].size(); ++c) {
        const Cell& cell = sheet.rows[r][c];
        if (cell.empty()) continue;
        std::string d;
        putU16(d, r);
        putU16(d, c);
        switch (cell.kind) {
          case CellKind::Text: {
            auto [it, added] = stringIndex.emplace(cell.text, uint32_t(strings.size()));
            if (added) strings.push_back(toUtf16Le(cell.text));
            ++stringUses;
            putU16(d, kXfGeneral);
            putU32(d, it->second);
            record(s, 0x00FD, d);
            break;
          }
          case CellKind::Boolean:
            putU16(d, kXfGeneral);
            d += char(cell.number != 0);
            d += char(0);
            record(s, 0x0205, d);
            break;
          default: {
            uint16_t style = kXfGeneral;
            if (cell.kind == CellKind::Currency) style = kXfCurrency;
            if (cell.kind == CellKind::Date)
              style = cell.number == std::floor(cell.number) ? kXfDate : kXfDateTime;
            putU16(d, style);
            putF64(d, cell.number);
            record(s, 0x0203, d);
          }
        }
      }
    }
    record(s, 0x000A, {});
    sheetStreams.push_back(std::move(s));
  }

  std::string g;
  record(g, 0x0809, bof(0x0005));
  std::string cp;
  putU16(cp, 1200);
  record(g, 0x0042, cp);
  std::string window;
  for (uint32_t v : {0x0168u, 0x001Eu, 0x3A5Cu, 0x2328u, 0x0038u, 0u, 0u, 1u, 0x0258u})
    putU16(window, v);
  record(g, 0x003D, window);
  std::string datemode;
  putU16(datemode, 0);
  record(g, 0x0022, datemode);
  for (int i = 0; i < 4; ++i) {
    std::string font;
    for (uint32_t v : {200u, 0u, 0x7FFFu, 400u, 0u}) putU16(font, v);
    font.append(4, '\0');
    font += char(5);
    font += char(0);
    font += "Arial";
    record(g, 0x0031, font);
  }
  record(g, 0x041E, format(164, "YYYY-MM-DD"));
  record(g, 0x041E, format(165, "YYYY-MM-DD HH:MM:SS"));
  record(g, 0x041E, format(166, "[$$-409]#,##0.00##"));
  for (int i = 0; i < 15; ++i) record(g, 0x00E0, xf(0, true));
  record(g, 0x00E0, xf(0, false));
  record(g, 0x00E0, xf(164, false));
  record(g, 0x00E0, xf(165, false));
  record(g, 0x00E0, xf(166, false));
  std::string style;
  putU16(style, 0x8000);
  style += char(0);
  style += char(0xFF);
  record(g, 0x0293, style);
  std::vector<size_t> offsetFields;
  for (const Sheet& sheet : workbook.sheets) {
    std::string d;
    offsetFields.push_back(g.size() + 4);
    putU32(d, 0);
    d += char(0);
    d += char(0);
    std::string name = toUtf16Le(sheet.name);
    d += char(name.size() / 2);
    d += char(1);
    d += name;
    record(g, 0x0085, d);
  }
  sharedStrings(g, strings, stringUses);
  record(g, 0x000A, {});

  size_t offset = g.size();
  for (size_t i = 0; i < sheetStreams.size(); ++i) {
    std::string at;
    putU32(at, uint32_t(offset));
    g.replace(offsetFields[i], 4, at);
    offset += sheetStreams[i].size();
  }
  for (const std::string& s : sheetStreams) g += s;
  return writeCompoundFile("Workbook", g);
}

}  // namespace kpx::data::excel
