#include "data/providers/html/html_cell_text.h"

#include <string_view>
#include <vector>

namespace kpx::data::html {
namespace {

// Builds the text as it would be laid out: blanks are held back until a visible character
// follows, so none is left before a line feed or at the end.
class TextLayout {
 public:
  void text(std::string_view s, bool preformatted) {
    for (size_t i = 0; i < s.size(); ++i) {
      const unsigned char c = static_cast<unsigned char>(s[i]);
      if (preformatted) {
        if (c == '\r') continue;
        if (c == '\n') {
          lineBreak();
          continue;
        }
        visible(s.substr(i, 1));
        continue;
      }
      if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f') {
        m_pendingBlank = true;
      } else if (c == 0xC2 && i + 1 < s.size() && static_cast<unsigned char>(s[i + 1]) == 0xA0) {
        m_pendingBlank = true;  // a non-breaking space counts as a blank
        ++i;
      } else {
        visible(s.substr(i, 1));
      }
    }
  }
  void lineBreak() {
    m_out += '\n';
    m_pendingBlank = false;
  }
  // A block starts or ends: a new line unless we are at the start of one already.
  void blockEdge() {
    if (!m_out.empty() && m_out.back() != '\n') lineBreak();
    m_pendingBlank = false;
  }
  std::string finish() {
    size_t begin = m_out.find_first_not_of('\n');
    if (begin == std::string::npos) return {};
    size_t end = m_out.find_last_not_of('\n');
    return m_out.substr(begin, end - begin + 1);
  }

 private:
  void visible(std::string_view c) {
    if (m_pendingBlank && !m_out.empty() && m_out.back() != '\n') m_out += ' ';
    m_pendingBlank = false;
    m_out += c;
  }
  std::string m_out;
  bool m_pendingBlank = false;
};

bool isBlock(GumboTag tag) {
  switch (tag) {
    case GUMBO_TAG_P:
    case GUMBO_TAG_DIV:
    case GUMBO_TAG_LI:
    case GUMBO_TAG_UL:
    case GUMBO_TAG_OL:
    case GUMBO_TAG_DL:
    case GUMBO_TAG_DT:
    case GUMBO_TAG_DD:
    case GUMBO_TAG_H1:
    case GUMBO_TAG_H2:
    case GUMBO_TAG_H3:
    case GUMBO_TAG_H4:
    case GUMBO_TAG_H5:
    case GUMBO_TAG_H6:
    case GUMBO_TAG_PRE:
    case GUMBO_TAG_BLOCKQUOTE:
    case GUMBO_TAG_ADDRESS:
    case GUMBO_TAG_HR:
    case GUMBO_TAG_SECTION:
    case GUMBO_TAG_ARTICLE:
    case GUMBO_TAG_HEADER:
    case GUMBO_TAG_FOOTER:
    case GUMBO_TAG_NAV:
    case GUMBO_TAG_ASIDE:
    case GUMBO_TAG_FIGURE:
    case GUMBO_TAG_FIGCAPTION:
    case GUMBO_TAG_FORM:
    case GUMBO_TAG_FIELDSET:
    case GUMBO_TAG_TR:
      return true;
    default:
      return false;
  }
}

bool isHidden(GumboTag tag) {
  return tag == GUMBO_TAG_SCRIPT || tag == GUMBO_TAG_STYLE || tag == GUMBO_TAG_TABLE ||
         tag == GUMBO_TAG_TEMPLATE || tag == GUMBO_TAG_NOSCRIPT || tag == GUMBO_TAG_TITLE;
}

// Walks the tree without recursion: a page may nest markup deeper than the stack allows.
void layOut(const GumboNode& root, TextLayout& layout) {
  struct Frame {
    const GumboNode* node;
    unsigned next;  // index of the next child to visit
    bool preformatted;
  };
  std::vector<Frame> stack;
  stack.push_back({&root, 0, false});
  while (!stack.empty()) {
    Frame& top = stack.back();
    const GumboNode& node = *top.node;
    const GumboVector& children = node.v.element.children;
    if (top.next == children.length) {
      if (&node != &root && isBlock(node.v.element.tag)) layout.blockEdge();
      stack.pop_back();
      continue;
    }
    const bool pre = top.preformatted;
    const auto& child = *static_cast<const GumboNode*>(children.data[top.next++]);
    switch (child.type) {
      case GUMBO_NODE_TEXT:
      case GUMBO_NODE_WHITESPACE:
      case GUMBO_NODE_CDATA:
        layout.text(child.v.text.text, pre);
        break;
      case GUMBO_NODE_ELEMENT:
      case GUMBO_NODE_TEMPLATE: {
        const GumboTag tag = child.v.element.tag;
        if (tag == GUMBO_TAG_TABLE) layout.blockEdge();  // its text is a table of its own
        if (isHidden(tag)) break;
        if (tag == GUMBO_TAG_BR) {
          layout.lineBreak();
          break;
        }
        if (isBlock(tag)) layout.blockEdge();
        stack.push_back({&child, 0, pre || tag == GUMBO_TAG_PRE || tag == GUMBO_TAG_TEXTAREA});
        break;
      }
      default:
        break;  // comments, documents
    }
  }
}

}  // namespace

std::string cellText(const GumboNode& node) {
  TextLayout layout;
  if (node.type == GUMBO_NODE_ELEMENT || node.type == GUMBO_NODE_TEMPLATE) layOut(node, layout);
  return layout.finish();
}

}  // namespace kpx::data::html
