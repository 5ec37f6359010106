// Typesets the manual's blocks (ManualMarkup.h) into an A4 PDF with cairo:
// the title, a table of contents with links, headings that also form the
// document's outline, word-wrapped paragraphs, bullets, two-column tables
// and a page number at the foot of every page.
#pragma once

#include <string>
#include <vector>

#include "ManualMarkup.h"

namespace manual {

struct DocumentInfo {
  std::string regularFont;  // TrueType files
  std::string boldFont;
  std::string title;  // the PDF's title and the footer's text
  std::string author;
  std::string createDate;  // ISO 8601, e.g. 2026-12-09T11:00:00Z; fixed so builds repeat
};

// Writes the PDF to `path`. False, with the reason in `error`, when a font
// cannot be loaded or the file cannot be written.
bool TypesetPdf(const std::vector<Block>& blocks, const DocumentInfo& info, const std::string& path,
                std::string& error);

}  // namespace manual
