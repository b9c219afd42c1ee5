// The pieces under the Excel provider: number-format classes, the compound file and the
// BIFF8 writer read back by the BIFF reader, row by row from files read in place, and the
// shared strings, read back the same whether they stayed in memory or went to the temporary
// file, whatever the order of the look-ups.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "data/providers/excel/biff_reader.h"
#include "data/providers/excel/biff_writer.h"
#include "data/providers/excel/byte_reader.h"
#include "data/providers/excel/compound_file.h"
#include "data/providers/excel/format_rendering.h"
#include "data/providers/excel/number_format.h"
#include "data/providers/excel/shared_strings.h"
#include "data/providers/excel/workbook_stream.h"
#include "support/libreoffice_csv.h"
#include "support/scratch.h"

namespace kpx::data::excel {
namespace {

struct FormatCase {
  const char* code;
  NumberClass expected;
};

class FormatClass : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatClass, FollowsTheSymbolsOutsideQuotesAndBrackets) {
  EXPECT_EQ(classifyFormat(GetParam().code), GetParam().expected) << GetParam().code;
}

INSTANTIATE_TEST_SUITE_P(
    Excel, FormatClass,
    ::testing::Values(
        FormatCase{"General", NumberClass::Plain}, FormatCase{"0.00%", NumberClass::Plain},
        FormatCase{"yyyy-mm-dd", NumberClass::Date}, FormatCase{"d/m/yy h:mm", NumberClass::Date},
        FormatCase{"[h]:mm:ss", NumberClass::Date}, FormatCase{"[Red]0.00", NumberClass::Plain},
        FormatCase{"\"days\" 0", NumberClass::Plain}, FormatCase{"0\\d", NumberClass::Plain},
        FormatCase{"#,##0.00 [$\xE2\x82\xAC-410]", NumberClass::Currency},
        FormatCase{"\"$\"#,##0.00_);(\"$\"#,##0.00)", NumberClass::Currency},
        FormatCase{"0;[Red]-0;\"zero\"", NumberClass::Plain}));

struct RenderCase {
  const char* code;
  double value;  // dates as OLE Automation dates: 45322 is 31 January 2024
  const char* shown;
};

class RenderedNumber : public ::testing::TestWithParam<RenderCase> {};

// Leaves digits where the next call's locals will lie, so a rendering that reads past the text
// it formatted picks them up every time instead of only when the stack happens to hold them.
[[gnu::noinline]] void leaveDigitsOnTheStack() {
  volatile char digits[4096];
  for (volatile char& c : digits) c = '7';
}

TEST_P(RenderedNumber, ReadsAsTheWorkbookShowsIt) {
  leaveDigitsOnTheStack();
  EXPECT_EQ(renderNumber(GetParam().value, GetParam().code), GetParam().shown) << GetParam().code;
}

INSTANTIATE_TEST_SUITE_P(
    Excel, RenderedNumber,
    ::testing::Values(
        RenderCase{"General", 2024, "2024"},
        RenderCase{"General", 14.754317602356753, "14.7543176023568"}, RenderCase{"0", 2.5, "3"},
        RenderCase{"0.00", 1234.565, "1234.57"}, RenderCase{"#,##0", -1234567, "-1,234,567"},
        RenderCase{"0.00%", 0.12345, "12.35%"}, RenderCase{"0.00E+00", 12345, "1.23E+04"},
        RenderCase{"#.##", 0.5, ".5"}, RenderCase{"000", 7, "007"},
        RenderCase{"#,##0,\\K", 12345678, "12,346K"}, RenderCase{"\"No. \"0", 4, "No. 4"},
        RenderCase{"[Red]#,##0.00 [$\xE2\x82\xAC-410]", 9.5, "9.50 \xE2\x82\xAC"},
        RenderCase{"0.00;(0.00)", -3, "(3.00)"}, RenderCase{"dd/mm/yyyy", 45322, "31/01/2024"},
        RenderCase{"dddd d mmmm yyyy", 45322, "Wednesday 31 January 2024"},
        RenderCase{"h:mm AM/PM", 45322.75, "6:00 PM"},
        RenderCase{"hh:mm:ss", 0.5 + 61.0 / 86400, "12:01:01"},
        RenderCase{"yyyy-mm-dd hh:mm", 45322.5 + 5.0 / 1440, "2024-01-31 12:05"},
        RenderCase{"[h]:mm", 1.5, "36:00"}, RenderCase{"@", 12, "12"}));

TEST(CompoundFile, StreamsOfEverySizeReadBack) {
  // Sizes below the mini-stream cutoff, across sector boundaries, and past the 109 FAT
  // sectors the header can list (which needs DIFAT sectors).
  for (size_t size : {size_t(10), size_t(4096), size_t(70001), size_t(8 * 1024 * 1024)}) {
    std::string data(size, '\0');
    for (size_t i = 0; i < size; ++i) data[i] = char(i * 7 + i / 513);
    std::string file = writeCompoundFile("Workbook", data);
    ASSERT_TRUE(isCompoundFile(file));
    if (size > 4096) {
      // Sectors 1 and 2 trade places and the chain follows them, as in an edited file.
      const size_t fat = 512 * ((size + 511) / 512 + 2);  // after the data and directory
      std::string s1 = file.substr(2 * 512, 512);
      file.replace(2 * 512, 512, file.substr(3 * 512, 512)).replace(3 * 512, 512, s1);
      std::string links;
      for (uint32_t next : {2u, 3u, 1u}) putU32(links, next);
      file.replace(fat, 12, links);
    }
    auto back = readCompoundStream(file, {"workbook"});
    ASSERT_TRUE(back.has_value()) << size;
    EXPECT_EQ(back->substr(0, size), data) << size;
    EXPECT_FALSE(readCompoundStream(file, {"Book"}).has_value());
  }
}

// Cells of a sheet laid out column by column still come out as whole rows in ascending order.
TEST(XlsStreams, CellsOutOfRowOrderComeOutAsRows) {
  std::string biff2;
  auto rec = [&biff2](uint16_t id, std::string data) {
    putU16(biff2, id);
    putU16(biff2, uint32_t(data.size()));
    biff2 += data;
  };
  rec(0x0009, std::string("\x00\x00\x10\x00", 4));
  for (auto [row, col] : {std::pair{2, 0}, {0, 0}, {2, 1}, {0, 1}, {1, 1}}) {
    std::string d;
    putU16(d, row);
    putU16(d, col);
    d.append(3, '\0');
    putF64(d, row * 10 + col);
    rec(0x0003, d);
  }
  rec(0x000A, {});
  auto book = openXlsStreams(bytesInMemory(biff2), "Only");
  auto rows = book->openSheet(0);
  SheetRow row;
  for (uint32_t expected : {0u, 1u, 2u}) {
    ASSERT_TRUE(rows->next(row));
    EXPECT_EQ(row.index, expected);
    for (uint32_t c = expected == 1 ? 1 : 0; c < 2; ++c)
      EXPECT_EQ(row.cells.at(c).number, expected * 10 + c);
  }
  EXPECT_FALSE(rows->next(row));
}

// Sheets far larger than the small-stream pool, several in one stream, and cells the shared
// string table splits over CONTINUE records, each sheet read from its own place in the file, in
// another order, and by LibreOffice. Plain cells of every kind are read back by LibreOffice in the
// workbook writing tests.
TEST(XlsStreams, SheetsStreamedToAFileReadBackRowByRow) {
  test::ScratchFolder scratch;
  const std::string path = scratch.path("streamed.xls");
  std::vector<Sheet> sheets = {{"Données", {}}, {"Second", {}}, {"Third", {}}, {"Empty", {}}};
  sheets[0].set(0, 255, Cell::ofText("last column"));
  sheets[0].set(0, 1, Cell::ofText("\xC3\xA0"));  // one byte a character
  sheets[0].set(0, 3, Cell::ofText("\xC2\x80"));  // a character Windows-1252 reads otherwise
  sheets[0].set(0, 2, Cell::ofText(std::string(32767, 'z')));  // the longest a cell holds
  // Several strings cut in the middle of their characters.
  for (uint32_t r = 1; r < 57; ++r)
    sheets[0].set(r, 0, Cell::ofText(std::string(1000 + r, char('a' + r % 26)) + "€"));
  for (size_t s : {1, 2})
    for (uint32_t r = 0; r < 3000; ++r) {
      sheets[s].set(r, 0, Cell::ofNumber(r * 1.5 + s));
      sheets[s].set(r, 1, Cell::ofText("s" + std::to_string(s) + "r" + std::to_string(r)));
    }
  auto writer = createXlsStreamWriter(path);
  for (const Sheet& sheet : sheets) {
    writer->beginSheet(sheet.name);
    for (uint32_t r = 0; r < sheet.rows.size(); ++r) writer->writeRow({r, sheet.rows[r]});
  }
  writer->finish();

  auto book = openXlsStreams(openByteFile(path), "unused");
  ASSERT_EQ(book->sheetNames(), (std::vector<std::string>{"Données", "Second", "Third", "Empty"}));
  for (size_t s : {2, 0, 3, 1}) {
    auto rows = book->openSheet(s);
    SheetRow row;
    for (uint32_t r = 0; r < sheets[s].rows.size(); ++r) {
      ASSERT_TRUE(rows->next(row)) << s << " " << r;
      ASSERT_EQ(row.index, r);
      const auto& expected = sheets[s].rows[r];
      ASSERT_GE(row.cells.size(), expected.size());
      for (size_t c = 0; c < expected.size(); ++c) {
        EXPECT_EQ(row.cells[c].kind, expected[c].kind) << s << " " << r << "," << c;
        EXPECT_EQ(row.cells[c].number, expected[c].number) << s << " " << r << "," << c;
        EXPECT_EQ(row.cells[c].text, expected[c].text) << s << " " << r << "," << c;
      }
    }
    EXPECT_FALSE(rows->next(row));
  }
  if (!test::haveLibreOffice()) GTEST_SKIP() << "LibreOffice (soffice) is not installed";
  auto read = test::libreOfficeSheets(path, scratch.path("csv"));
  ASSERT_EQ(read["Third"].size(), 3000u);
  EXPECT_EQ(read["Third"][2999], (test::CsvRows::value_type{"4500.5", "s2r2999"}));
}

enum class Order { Forward, Backward, Random };

struct TableCase {
  const char* name;
  size_t budget;
  Order order;
};

void PrintTo(const TableCase& c, std::ostream* out) {
  *out << c.name;
}

class SharedStringTableRead : public ::testing::TestWithParam<TableCase> {};

TEST_P(SharedStringTableRead, GivesBackEveryStringAsAdded) {
  // Empty strings, strings longer than a cache block, and more strings than a block of ends.
  std::vector<std::string> expected;
  for (size_t i = 0; i < 10000; ++i)
    expected.push_back(i % 7 == 0      ? ""
                       : i % 2500 == 1 ? std::string(100000 + i, char('a' + i % 26))
                                       : "s" + std::to_string(i * (i % 13)));
  SharedStringTable table(GetParam().budget);
  for (const std::string& s : expected) {
    table.startString();  // in two runs, as a rich-text item arrives
    table.extend(std::string_view(s).substr(0, s.size() / 3));
    table.extend(std::string_view(s).substr(s.size() / 3));
  }
  table.finish();
  ASSERT_EQ(table.size(), expected.size());

  std::vector<size_t> order(expected.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  if (GetParam().order == Order::Backward) std::reverse(order.begin(), order.end());
  if (GetParam().order == Order::Random) std::shuffle(order.begin(), order.end(), std::mt19937(7));
  // Two readers taking turns keep caches of their own.
  SharedStringTable::Reader first(table), second(table);
  for (size_t n = 0; n < order.size(); ++n) {
    size_t i = order[n];
    ASSERT_EQ((n % 2 ? first : second).at(i), expected[i]) << "string " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(Excel, SharedStringTableRead,
                         ::testing::Values(TableCase{"InMemory", size_t(64) << 20, Order::Random},
                                           // spills as the last string of a block of ends starts
                                           TableCase{"SpilledAtBlockEnd", 253419, Order::Forward},
                                           TableCase{"SpilledRandom", 50000, Order::Random}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kpx::data::excel
