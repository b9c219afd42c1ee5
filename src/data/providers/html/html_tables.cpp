#include "data/providers/html/html_tables.h"

#include <algorithm>
#include <charconv>
#include <memory>
#include <set>

#include <gumbo.h>

#include "data/providers/html/html_cell_text.h"

namespace kpx::data::html {
namespace {

using Cell = std::optional<std::string>;
using Grid = std::vector<std::vector<Cell>>;

struct GumboDeleter {
  void operator()(GumboOutput* out) const { gumbo_destroy_output(&kGumboDefaultOptions, out); }
};

bool isElement(const GumboNode& n, GumboTag tag) {
  return n.type == GUMBO_NODE_ELEMENT && n.v.element.tag == tag;
}

template <typename Visit>
void forEachChild(const GumboNode& n, Visit visit) {
  const GumboVector& children = n.v.element.children;
  for (unsigned i = 0; i < children.length; ++i)
    visit(*static_cast<const GumboNode*>(children.data[i]));
}

// Every <table> element in document order, found without recursion.
std::vector<const GumboNode*> findTables(const GumboNode& root) {
  std::vector<const GumboNode*> tables;
  std::vector<const GumboNode*> stack{&root};
  while (!stack.empty()) {
    const GumboNode* n = stack.back();
    stack.pop_back();
    if (n->type != GUMBO_NODE_ELEMENT && n->type != GUMBO_NODE_TEMPLATE) continue;
    if (n->v.element.tag == GUMBO_TAG_TABLE) tables.push_back(n);
    const GumboVector& children = n->v.element.children;
    for (unsigned i = children.length; i-- > 0;)
      stack.push_back(static_cast<const GumboNode*>(children.data[i]));
  }
  return tables;
}

// The rows of one table in the order a browser shows them: header group, body rows, footer;
// `headRows` is the number of rows of the header group.
std::vector<const GumboNode*> tableRows(const GumboNode& table, size_t& headRows) {
  std::vector<const GumboNode*> head, body, foot;
  forEachChild(table, [&](const GumboNode& child) {
    if (isElement(child, GUMBO_TAG_TR)) {
      body.push_back(&child);
      return;
    }
    auto* group = isElement(child, GUMBO_TAG_THEAD)   ? &head
                  : isElement(child, GUMBO_TAG_TFOOT) ? &foot
                  : isElement(child, GUMBO_TAG_TBODY) ? &body
                                                      : nullptr;
    if (!group) return;
    forEachChild(child, [&](const GumboNode& row) {
      if (isElement(row, GUMBO_TAG_TR)) group->push_back(&row);
    });
  });
  headRows = head.size();
  head.insert(head.end(), body.begin(), body.end());
  head.insert(head.end(), foot.begin(), foot.end());
  return head;
}

// Whether a row has cells and every one of them is a <th>.
bool allHeaderCells(const GumboNode& row) {
  bool any = false, all = true;
  forEachChild(row, [&](const GumboNode& cell) {
    if (isElement(cell, GUMBO_TAG_TH)) any = true;
    if (isElement(cell, GUMBO_TAG_TD)) all = false;
  });
  return any && all;
}

// A span attribute as a browser reads it: leading digits, out-of-range values clamped.
size_t spanOf(const GumboNode& cell, const char* attribute, size_t fallback, size_t limit) {
  const GumboAttribute* a = gumbo_get_attribute(&cell.v.element.attributes, attribute);
  if (!a) return fallback;
  std::string_view v = a->value;
  while (!v.empty() && (v.front() == ' ' || v.front() == '\t' || v.front() == '\n'))
    v.remove_prefix(1);
  size_t n = 0;
  auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
  if (end == v.data()) return fallback;
  if (ec == std::errc::result_out_of_range) n = limit;
  return std::min(n, limit);
}

// Lays the cells of every row on a grid as a browser does: a spanning cell's text in the first
// cell it covers and empty cells after. `covering` gets the same grid with the spanning text
// in every covered cell too.
Grid spreadCells(const std::vector<const GumboNode*>& rows, Grid& covering) {
  struct Carry {
    size_t rowsLeft = 0;
    Cell text;
  };
  std::vector<Carry> carried;  // per column: a rowspan reaching into the rows below
  Grid grid;
  grid.reserve(rows.size());
  covering.clear();
  for (size_t r = 0; r < rows.size(); ++r) {
    std::vector<Cell> out, covered;
    size_t col = 0;
    auto put = [&](size_t c, const Cell& text, bool first) {
      if (c >= kMaxTableColumns) return;
      if (out.size() <= c) out.resize(c + 1), covered.resize(c + 1);
      if (first) out[c] = text;
      covered[c] = text;
    };
    auto takeCarried = [&](size_t c) {
      put(c, carried[c].text, false);
      --carried[c].rowsLeft;
    };
    forEachChild(*rows[r], [&](const GumboNode& cell) {
      if (!isElement(cell, GUMBO_TAG_TD) && !isElement(cell, GUMBO_TAG_TH)) return;
      while (col < carried.size() && carried[col].rowsLeft > 0) takeCarried(col++);
      const size_t rowsLeft = rows.size() - r;
      const size_t colspan = std::max<size_t>(1, spanOf(cell, "colspan", 1, 1000));
      size_t rowspan = spanOf(cell, "rowspan", 1, 65534);
      if (rowspan == 0 || rowspan > rowsLeft) rowspan = rowsLeft;  // 0 reaches the last row
      std::string text = cellText(cell);
      Cell value = text.empty() ? Cell{} : Cell{std::move(text)};
      for (size_t k = 0; k < colspan && col < kMaxTableColumns; ++k, ++col) {
        put(col, value, k == 0);
        if (rowspan > 1) {
          if (carried.size() <= col) carried.resize(col + 1);
          carried[col] = {rowspan - 1, value};
        }
      }
    });
    for (size_t c = col; c < carried.size(); ++c)
      if (carried[c].rowsLeft > 0) takeCarried(c);
    grid.push_back(std::move(out));
    covering.push_back(std::move(covered));
  }
  size_t width = 0;
  for (const auto& row : grid) width = std::max(width, row.size());
  for (auto& row : grid) row.resize(width);
  for (auto& row : covering) row.resize(width);
  return grid;
}

// Column names from the header rows, top to bottom: each row's own text joined by blanks; a
// heading spanning several columns names each of them when a row below names it further
// ("Score Math", "Score Art"), and is left to the first column otherwise.
std::vector<std::optional<std::string>> headerNames(const Grid& grid, const Grid& covering,
                                                    size_t headerRows) {
  const size_t width = grid.empty() ? 0 : grid[0].size();
  std::vector<std::optional<std::string>> names(width);
  for (size_t c = 0; c < width; ++c) {
    std::string name;
    for (size_t r = 0; r < headerRows; ++r) {
      const Cell* text = grid[r][c] ? &grid[r][c] : nullptr;
      for (size_t below = r + 1; !text && below < headerRows; ++below)
        if (grid[below][c] && covering[r][c]) text = &covering[r][c];
      if (!text || (!name.empty() && name.size() >= (*text)->size() &&
                    name.compare(name.size() - (*text)->size(), std::string::npos, **text) == 0))
        continue;
      name += (name.empty() ? "" : " ") + **text;
    }
    if (!name.empty()) names[c] = std::move(name);
  }
  return names;
}

std::string upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

std::string captionOf(const GumboNode& table) {
  std::string caption;
  bool found = false;
  forEachChild(table, [&](const GumboNode& child) {
    if (found || !isElement(child, GUMBO_TAG_CAPTION)) return;
    found = true;
    caption = cellText(child);
  });
  std::replace(caption.begin(), caption.end(), '\n', ' ');
  return caption;
}

}  // namespace

std::vector<HtmlTable> parseHtmlTables(std::string_view html) {
  GumboOptions options = kGumboDefaultOptions;
  options.max_errors = 0;  // the parse errors are of no use here
  std::unique_ptr<GumboOutput, GumboDeleter> doc(
      gumbo_parse_with_options(&options, html.data(), html.size()));
  std::vector<HtmlTable> result;
  if (!doc) return result;
  std::set<std::string> taken;  // upper-cased names already given
  const std::vector<const GumboNode*> tables = findTables(*doc->root);
  for (size_t i = 0; i < tables.size(); ++i) {
    HtmlTable table;
    size_t headRows = 0;
    const std::vector<const GumboNode*> rows = tableRows(*tables[i], headRows);
    Grid covering;
    table.rows = spreadCells(rows, covering);
    if (table.rows.empty() || table.rows.front().empty()) continue;
    while (headRows < rows.size() && allHeaderCells(*rows[headRows])) ++headRows;
    table.headerRows = std::max<size_t>(1, std::min(headRows, rows.size()));
    table.names = headerNames(table.rows, covering, table.headerRows);
    table.name = captionOf(*tables[i]);
    if (table.name.empty() || taken.count(upper(table.name))) {
      table.name = "Table" + std::to_string(i + 1);
      for (int k = 2; taken.count(upper(table.name)); ++k)
        table.name = "Table" + std::to_string(i + 1) + "_" + std::to_string(k);
    }
    taken.insert(upper(table.name));
    result.push_back(std::move(table));
  }
  return result;
}

}  // namespace kpx::data::html
