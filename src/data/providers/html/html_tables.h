// The tables of an HTML page as grids of plain text, before any typing: what a person sees
// in a browser, cell by cell.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kpx::data::html {

// One <table>: its name and its rows after spans are spread, every row as wide as the widest.
// A cell that is empty on the page is std::nullopt.
struct HtmlTable {
  std::string name;
  std::vector<std::vector<std::optional<std::string>>> rows;
  // The leading rows that name the columns: those of <thead> and those made of <th> cells
  // only, or the first row when there are none.
  size_t headerRows = 1;
  // One name per column from the header rows; std::nullopt where they hold no text.
  std::vector<std::optional<std::string>> names;
};

// Tables wider than this lose the cells beyond it (more columns than a query can address).
inline constexpr size_t kMaxTableColumns = 2000;

// Every <table> of the page in document order (a nested table comes right after the table
// that holds it, and its text is not part of the enclosing cell). A table is named by the
// text of its <caption>, or "TableN" with N its position among all tables of the page when
// the caption is missing, empty or already taken. Tables without any row are left out.
// Cell text: entities decoded, white space collapsed as a browser does (non-breaking spaces
// included), <br> and block elements become line feeds, other markup is dropped.
// A colspan or rowspan puts the cell's text into the first cell it covers and leaves the
// others empty, as a browser shows it; a rowspan stops at the last row of the table. Input is
// UTF-8; anything malformed is repaired the way a browser repairs it, so this never fails.
std::vector<HtmlTable> parseHtmlTables(std::string_view html);

}  // namespace kpx::data::html
