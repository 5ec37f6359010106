// The light mark-up the manual's text is written in, read into a list of
// blocks for the typesetter:
//
//   # Title              the document's title (once, at the top)
//   > text               a line under the title
//   ## Heading           a section; ### Heading a subsection
//   - text               a bullet; following indented lines continue it
//   | left | right |     a row of a two-column table; a row of dashes
//                        (|---|---|) makes the row above the table's header
//   other lines          a paragraph, running to the next blank line
//
// Lines starting with "//" are comments. Text is UTF-8.
#pragma once

#include <istream>
#include <string>
#include <vector>

namespace manual {

struct Block {
  enum class Kind { Title, Subtitle, Heading, Subheading, Paragraph, Bullet, TableRow };
  Kind kind = Kind::Paragraph;
  std::string text;         // everything but table rows
  std::string left, right;  // table rows
  bool header = false;      // a table's header row
};

std::vector<Block> ParseMarkup(std::istream& in);

}  // namespace manual
