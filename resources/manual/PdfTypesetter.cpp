#include "PdfTypesetter.h"

#include <cairo-pdf.h>
#include <cairo.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "resources/Typefaces.h"

namespace manual {
namespace {

// A4 in points, and the text area inside it.
constexpr double kPageWidth = 595.276;
constexpr double kPageHeight = 841.890;
constexpr double kLeft = 64.0;
constexpr double kRight = kPageWidth - 64.0;
constexpr double kTop = 66.0;
constexpr double kBottom = kPageHeight - 72.0;
constexpr double kFooterBaseline = kPageHeight - 40.0;
constexpr double kBulletIndent = 16.0;
constexpr double kTableLeftShare = 0.36;  // of the text width
constexpr double kCellPadding = 4.0;

struct Style {
  bool bold;
  double size;
  double leading;  // baseline to baseline
  double red, green, blue;
};

constexpr Style kBody{false, 10.0, 14.0, 0.12, 0.12, 0.12};
constexpr Style kBodyBold{true, 10.0, 14.0, 0.12, 0.12, 0.12};
constexpr Style kTitle{true, 30.0, 36.0, 0.09, 0.20, 0.33};
constexpr Style kSubtitle{false, 13.0, 18.0, 0.35, 0.35, 0.35};
constexpr Style kHeading{true, 16.0, 21.0, 0.09, 0.20, 0.33};
constexpr Style kSubheading{true, 11.5, 16.0, 0.09, 0.20, 0.33};
constexpr Style kFooter{false, 8.5, 11.0, 0.45, 0.45, 0.45};

// Where a heading landed, for the contents and the outline.
struct Place {
  int page = 1;
  double y = 0.0;
};

std::size_t Utf8Length(const std::string& text, std::size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
  return std::min(length, text.size() - at);
}

class Typesetter {
 public:
  Typesetter(cairo_surface_t* surface, const resources::Typefaces& faces, const DocumentInfo& info,
             const std::vector<Place>& knownPlaces)
      : mSurface(surface), mCr(cairo_create(surface)), mFaces(faces), mInfo(info), mKnown(knownPlaces) {}
  ~Typesetter() { cairo_destroy(mCr); }
  Typesetter(const Typesetter&) = delete;
  Typesetter& operator=(const Typesetter&) = delete;

  // Sets every block; returns where the headings landed.
  std::vector<Place> Run(const std::vector<Block>& blocks) {
    Block::Kind previous = Block::Kind::Title;
    bool contentsDone = false;
    for (const Block& block : blocks) {
      if (previous == Block::Kind::TableRow && block.kind != Block::Kind::TableRow) mY += 8.0;
      if (previous == Block::Kind::Bullet && block.kind != Block::Kind::Bullet) mY += 4.0;
      if (block.kind != Block::Kind::TableRow) mTableHeader = nullptr;
      switch (block.kind) {
        case Block::Kind::Title:
          SetLines(block.text, kTitle, kLeft, kRight);
          mY += 4.0;
          break;
        case Block::Kind::Subtitle:
          SetLines(block.text, kSubtitle, kLeft, kRight);
          break;
        case Block::Kind::Heading:
          if (!contentsDone) {
            Contents(blocks);
            contentsDone = true;
          }
          Heading(block.text, kHeading, 18.0, 6.0, true);
          break;
        case Block::Kind::Subheading:
          Heading(block.text, kSubheading, 8.0, 2.0, false);
          break;
        case Block::Kind::Paragraph:
          SetLines(block.text, kBody, kLeft, kRight);
          mY += 6.0;
          break;
        case Block::Kind::Bullet:
          Bullet(block.text);
          break;
        case Block::Kind::TableRow:
          if (previous != Block::Kind::TableRow) mY += 2.0;
          TableRow(block);
          break;
      }
      previous = block.kind;
    }
    Footer();
    cairo_show_page(mCr);
    return mPlaces;
  }

 private:
  void Use(const Style& style) {
    cairo_set_font_face(
        mCr, style.bold ? mFaces.Get(resources::Face::Bold) : mFaces.Get(resources::Face::Regular));
    cairo_set_font_size(mCr, style.size);
    cairo_set_source_rgb(mCr, style.red, style.green, style.blue);
  }

  double Width(const std::string& text) {
    cairo_text_extents_t extents;
    cairo_text_extents(mCr, text.c_str(), &extents);
    return extents.x_advance;
  }

  // Breaks text into lines no wider than `width` at blanks; a word wider
  // than a line on its own (a long path) is broken between characters.
  std::vector<std::string> Wrap(const std::string& text, double width) {
    std::vector<std::string> lines;
    std::string line;
    std::size_t start = 0;
    while (start < text.size()) {
      std::size_t end = text.find(' ', start);
      if (end == std::string::npos) end = text.size();
      std::string word = text.substr(start, end - start);
      start = end + 1;
      if (word.empty()) continue;
      const std::string candidate = line.empty() ? word : line + ' ' + word;
      if (Width(candidate) <= width) {
        line = candidate;
        continue;
      }
      if (!line.empty()) lines.push_back(line);
      line.clear();
      while (Width(word) > width) {
        std::size_t cut = 0;
        while (cut < word.size()) {
          const std::size_t next = cut + Utf8Length(word, cut);
          if (cut > 0 && Width(word.substr(0, next)) > width) break;
          cut = next;
        }
        lines.push_back(word.substr(0, cut));
        word.erase(0, cut);
      }
      line = word;
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
  }

  void Show(double x, double baseline, const std::string& text) {
    cairo_move_to(mCr, x, baseline);
    cairo_show_text(mCr, text.c_str());
  }

  void NeedSpace(double height) {
    if (mY + height > kBottom && mY > kTop) NextPage();
  }

  void NextPage() {
    Footer();
    cairo_show_page(mCr);
    ++mPage;
    mY = kTop;
  }

  void Footer() {
    Use(kFooter);
    Show(kLeft, kFooterBaseline, mInfo.title);
    const std::string number = std::to_string(mPage);
    Show(kRight - Width(number), kFooterBaseline, number);
  }

  // Lines of one style between two edges, each moved to the next page when
  // it does not fit.
  void SetLines(const std::string& text, const Style& style, double left, double right) {
    Use(style);
    for (const std::string& line : Wrap(text, right - left)) {
      NeedSpace(style.leading);
      mY += style.leading;
      Use(style);
      Show(left, mY - style.leading * 0.25, line);
    }
  }

  void Heading(const std::string& text, const Style& style, double before, double after, bool rule) {
    // A heading never ends a page: it keeps three lines of its text with it.
    NeedSpace(before + style.leading + after + 3.0 * kBody.leading);
    if (mY > kTop) mY += before;
    const Place place{mPage, mY};
    SetLines(text, style, kLeft, kRight);
    if (rule) {
      cairo_set_line_width(mCr, 0.6);
      cairo_move_to(mCr, kLeft, mY + 2.0);
      cairo_line_to(mCr, kRight, mY + 2.0);
      cairo_stroke(mCr);
    }
    mY += after;
    Outline(text, place, rule);
    mPlaces.push_back(place);
  }

  void Outline(const std::string& text, const Place& place, bool topLevel) {
    const std::string link = Destination(place);
    const int parent = topLevel ? CAIRO_PDF_OUTLINE_ROOT : mLastSection;
    const int id = cairo_pdf_surface_add_outline(mSurface, parent, text.c_str(), link.c_str(),
                                                 static_cast<cairo_pdf_outline_flags_t>(0));
    if (topLevel) mLastSection = id;
  }

  static std::string Destination(const Place& place) {
    char link[96];
    std::snprintf(link, sizeof link, "page=%d pos=[%.1f %.1f]", place.page, kLeft, place.y);
    return link;
  }

  void Bullet(const std::string& text) {
    Use(kBody);
    const std::vector<std::string> lines = Wrap(text, kRight - kLeft - kBulletIndent);
    for (std::size_t i = 0; i < lines.size(); ++i) {
      NeedSpace(kBody.leading);
      mY += kBody.leading;
      Use(kBody);
      const double baseline = mY - kBody.leading * 0.25;
      if (i == 0) Show(kLeft + 4.0, baseline, "\u2022");
      Show(kLeft + kBulletIndent, baseline, lines[i]);
    }
    mY += 3.0;
  }

  void TableRow(const Block& row) {
    const double split = kLeft + (kRight - kLeft) * kTableLeftShare;
    Use(kBodyBold);
    const std::vector<std::string> left = Wrap(row.left, split - kLeft - 2.0 * kCellPadding);
    Use(row.header ? kBodyBold : kBody);
    const std::vector<std::string> right = Wrap(row.right, kRight - split - 2.0 * kCellPadding);
    const double height = static_cast<double>(std::max(left.size(), right.size())) * kBody.leading + 6.0;
    if (row.header) mTableHeader = &row;
    if (!row.header && mTableHeader && mY + height > kBottom) {
      // A table that goes on to the next page repeats its header there.
      NextPage();
      TableRow(*mTableHeader);
    }
    NeedSpace(height);
    if (row.header) {
      cairo_set_source_rgb(mCr, 0.90, 0.92, 0.95);
      cairo_rectangle(mCr, kLeft, mY, kRight - kLeft, height);
      cairo_fill(mCr);
    }
    const auto column = [&](const std::vector<std::string>& lines, double x, const Style& style) {
      Use(style);
      for (std::size_t i = 0; i < lines.size(); ++i)
        Show(x + kCellPadding, mY + 3.0 + static_cast<double>(i + 1) * kBody.leading - kBody.leading * 0.25,
             lines[i]);
    };
    column(left, kLeft, kBodyBold);
    column(right, split, row.header ? kBodyBold : kBody);
    mY += height;
    cairo_set_source_rgb(mCr, 0.75, 0.77, 0.80);
    cairo_set_line_width(mCr, 0.5);
    cairo_move_to(mCr, kLeft, mY);
    cairo_line_to(mCr, kRight, mY);
    cairo_stroke(mCr);
  }

  // The list of sections with their pages, each line a link. On the first
  // run the pages are not known yet; the lines take the same room either way.
  void Contents(const std::vector<Block>& blocks) {
    mY += 14.0;
    SetLines("Contents", kSubheading, kLeft, kRight);
    mY += 4.0;
    std::size_t index = 0;
    for (const Block& block : blocks) {
      if (block.kind != Block::Kind::Heading && block.kind != Block::Kind::Subheading) continue;
      const Place place = index < mKnown.size() ? mKnown[index] : Place{};
      ++index;
      if (block.kind != Block::Kind::Heading) continue;
      NeedSpace(kBody.leading);
      mY += kBody.leading;
      const double baseline = mY - kBody.leading * 0.25;
      const std::string link = Destination(place);
      cairo_tag_begin(mCr, CAIRO_TAG_LINK, link.c_str());
      Use(kBody);
      Show(kLeft + 8.0, baseline, block.text);
      const std::string number = std::to_string(place.page);
      Show(kRight - Width(number), baseline, number);
      cairo_tag_end(mCr, CAIRO_TAG_LINK);
    }
    mY += 10.0;
  }

  cairo_surface_t* mSurface;
  cairo_t* mCr;
  const resources::Typefaces& mFaces;
  const DocumentInfo& mInfo;
  const std::vector<Place>& mKnown;
  std::vector<Place> mPlaces;
  int mPage = 1;
  double mY = kTop;
  int mLastSection = CAIRO_PDF_OUTLINE_ROOT;
  const Block* mTableHeader = nullptr;  // of the table being set
};

struct SurfaceDeleter {
  void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;

}  // namespace

bool TypesetPdf(const std::vector<Block>& blocks, const DocumentInfo& info, const std::string& path,
                std::string& error) {
  const resources::Typefaces faces(info.regularFont, info.boldFont);
  if (!faces.Ok()) {
    error = "cannot load the fonts " + info.regularFont + " and " + info.boldFont;
    return false;
  }
  // First a run without output, to learn the pages of the headings; then
  // the real one with the contents filled in. Both set the same lines.
  std::vector<Place> places;
  {
    const Surface draft(cairo_pdf_surface_create(nullptr, kPageWidth, kPageHeight));
    places = Typesetter(draft.get(), faces, info, places).Run(blocks);
    cairo_surface_finish(draft.get());
  }
  const Surface surface(cairo_pdf_surface_create(path.c_str(), kPageWidth, kPageHeight));
  cairo_pdf_surface_set_metadata(surface.get(), CAIRO_PDF_METADATA_TITLE, info.title.c_str());
  cairo_pdf_surface_set_metadata(surface.get(), CAIRO_PDF_METADATA_AUTHOR, info.author.c_str());
  cairo_pdf_surface_set_metadata(surface.get(), CAIRO_PDF_METADATA_CREATOR, info.author.c_str());
  if (!info.createDate.empty())
    cairo_pdf_surface_set_metadata(surface.get(), CAIRO_PDF_METADATA_CREATE_DATE, info.createDate.c_str());
  Typesetter(surface.get(), faces, info, places).Run(blocks);
  cairo_surface_finish(surface.get());
  if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) {
    error = "cannot write " + path + ": " + cairo_status_to_string(cairo_surface_status(surface.get()));
    return false;
  }
  return true;
}

}  // namespace manual
