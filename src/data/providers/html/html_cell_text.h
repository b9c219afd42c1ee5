// Plain text of a piece of a gumbo tree, as a browser would lay it out.
#pragma once
#include <string>

#include <gumbo.h>

namespace kpx::data::html {

// The text inside `node`: entities already decoded by the parser, runs of white space
// (non-breaking spaces too) collapsed to one blank, <br> as a line feed, block elements
// (paragraphs, divisions, list items, headings) on lines of their own, <pre> kept as written,
// and scripts and styles left out. A nested table is left out too, its place
// taken by a line break as a browser sets it on a line of its own. Blanks around line feeds and at
// both ends are dropped.
std::string cellText(const GumboNode& node);

}  // namespace kpx::data::html
