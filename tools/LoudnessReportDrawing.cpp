#include "tools/LoudnessReportDrawing.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "tools/TextFormat.h"

namespace kalvo5::meter {
namespace {

struct Colour {
  double r, g, b;
};

// Colours that stay apart on screen and in print, also in grey.
constexpr Colour kInk{0.13, 0.13, 0.13};
constexpr Colour kMuted{0.42, 0.42, 0.42};
constexpr Colour kFrame{0.35, 0.35, 0.35};
constexpr Colour kGrid{0.88, 0.88, 0.88};
constexpr Colour kMomentary{0.47, 0.67, 0.90};
constexpr Colour kShortTerm{0.04, 0.24, 0.58};
constexpr Colour kIntegrated{0.91, 0.45, 0.02};
constexpr Colour kRange{0.62, 0.55, 0.85};
constexpr Colour kTarget{0.22, 0.60, 0.18};
constexpr Colour kPeak{0.84, 0.08, 0.08};
constexpr Colour kPass{0.16, 0.55, 0.16};

constexpr const char* kFont = "DejaVu Sans";
constexpr const char* kRegularFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr const char* kBoldFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
constexpr double kMargin = 30.0;
constexpr double kPlotLeft = 74.0;                        // room for the level labels and the unit
constexpr double kPlotRight = kReportPageWidth - 84.0;    // room for the labels of the lines
constexpr double kPlotBottom = kReportPageHeight - 46.0;  // room for the time labels
constexpr double kGraphGap = 20.0;

void Use(cairo_t* cr, Colour c, double alpha = 1.0) { cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha); }

// The faces the pages are set in, read with FreeType from the files the
// system's DejaVu package installs: no font configuration is loaded into the
// meter (nor its caches, which a leak checker would report). Where a file
// is missing, cairo's own lookup of the family.
struct Faces {
  cairo_font_face_t* regular;
  cairo_font_face_t* bold;
};

cairo_font_face_t* LoadFace(FT_Library library, const char* file, cairo_font_weight_t weight) {
  static const cairo_user_data_key_t kOwnedFace{};
  FT_Face face = nullptr;
  if (library != nullptr && FT_New_Face(library, file, 0, &face) == 0) {
    cairo_font_face_t* font = cairo_ft_font_face_create_for_ft_face(face, 0);
    // The FreeType face goes when cairo lets go of the font face.
    if (cairo_font_face_set_user_data(font, &kOwnedFace, face, [](void* owned) {
          FT_Done_Face(static_cast<FT_Face>(owned));
        }) == CAIRO_STATUS_SUCCESS) {
      return font;
    }
    cairo_font_face_destroy(font);
    FT_Done_Face(face);
  }
  return cairo_toy_font_face_create(kFont, CAIRO_FONT_SLANT_NORMAL, weight);
}

const Faces& PageFaces() {
  static const Faces faces = [] {
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) library = nullptr;
    return Faces{LoadFace(library, kRegularFile, CAIRO_FONT_WEIGHT_NORMAL),
                 LoadFace(library, kBoldFile, CAIRO_FONT_WEIGHT_BOLD)};
  }();
  return faces;
}

void Font(cairo_t* cr, double size, bool bold = false) {
  cairo_set_font_face(cr, bold ? PageFaces().bold : PageFaces().regular);
  cairo_set_font_size(cr, size);
}

double Advance(cairo_t* cr, const std::string& text) {
  cairo_text_extents_t extents;
  cairo_text_extents(cr, text.c_str(), &extents);
  return extents.x_advance;
}

enum class Align { kLeft, kCentre, kRight };

// Writes `text` with its baseline at y; returns its advance.
double Text(cairo_t* cr, double x, double y, const std::string& text, Align align = Align::kLeft) {
  const double advance = Advance(cr, text);
  if (align == Align::kCentre) x -= advance / 2.0;
  if (align == Align::kRight) x -= advance;
  cairo_move_to(cr, x, y);
  cairo_show_text(cr, text.c_str());
  return advance;
}

// The baseline that centres the current font's line on y.
double CentredBaseline(cairo_t* cr, double y) {
  cairo_font_extents_t extents;
  cairo_font_extents(cr, &extents);
  return y + (extents.ascent - extents.descent) / 2.0;
}

// `text` shortened at its start ("…/folder/file.wav") to fit `width`.
std::string Fitted(cairo_t* cr, const std::string& text, double width) {
  if (Advance(cr, text) <= width) return text;
  std::string rest = text;
  while (!rest.empty()) {
    // Drop one UTF-8 character.
    std::size_t cut = 1;
    while (cut < rest.size() && (static_cast<unsigned char>(rest[cut]) & 0xC0) == 0x80) ++cut;
    rest.erase(0, cut);
    if (Advance(cr, "\u2026" + rest) <= width) return "\u2026" + rest;
  }
  return rest;
}

// `text` in lines that fit `width`, broken at spaces.
std::vector<std::string> Wrapped(cairo_t* cr, const std::string& text, double width) {
  std::vector<std::string> lines;
  std::string line;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t space = std::min(text.find(' ', start), text.size());
    const std::string word = text.substr(start, space - start);
    const std::string longer = line.empty() ? word : line + " " + word;
    if (!line.empty() && Advance(cr, longer) > width) {
      lines.push_back(line);
      line = word;
    } else {
      line = longer;
    }
    start = space + 1;
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

struct Rect {
  double left, top, right, bottom;
  double Width() const { return right - left; }
  double Height() const { return bottom - top; }
};

// Time and level to the page.
struct Mapping {
  Rect plot;
  const ReportAxis& time;
  const ReportAxis& level;
  double X(double seconds) const {
    return plot.left + (seconds - time.low) / (time.high - time.low) * plot.Width();
  }
  double Y(double value) const {
    return plot.bottom - (value - level.low) / (level.high - level.low) * plot.Height();
  }
};

// A curve, broken where it has no value. Where several of its points fall
// on one half point of width, only their lowest and highest are drawn, in
// the order they came: the same picture with a bounded number of points.
void Curve(cairo_t* cr, const Mapping& m, const std::vector<float>& values,
           const std::vector<double>& seconds, double from) {
  bool drawing = false;
  long bucket = 0;
  std::size_t lowest = 0, highest = 0;
  bool open = false;
  const auto flush = [&] {
    if (!open) return;
    const std::size_t first = std::min(lowest, highest), second = std::max(lowest, highest);
    for (const std::size_t r : {first, second}) {
      const double x = m.X(seconds[r]), y = m.Y(values[r]);
      drawing ? cairo_line_to(cr, x, y) : cairo_move_to(cr, x, y);
      drawing = true;
      if (first == second) break;
    }
    open = false;
  };
  for (std::size_t r = 0; r < values.size() && r < seconds.size(); ++r) {
    if (seconds[r] < from || !std::isfinite(values[r])) {
      flush();
      drawing = false;
      continue;
    }
    const long b = std::lround(std::floor(m.X(seconds[r]) * 2.0));
    if (open && b != bucket) flush();
    if (!open) {
      open = true;
      bucket = b;
      lowest = highest = r;
    }
    if (values[r] < values[lowest]) lowest = r;
    if (values[r] > values[highest]) highest = r;
  }
  flush();
  cairo_stroke(cr);
}

void HorizontalLine(cairo_t* cr, const Mapping& m, double value, Colour colour, double width, bool dashed) {
  const double y = m.Y(value);
  Use(cr, colour);
  cairo_set_line_width(cr, width);
  const double dash[] = {5.0, 3.0};
  cairo_set_dash(cr, dash, dashed ? 2 : 0, 0.0);
  cairo_move_to(cr, m.plot.left, y);
  cairo_line_to(cr, m.plot.right, y);
  cairo_stroke(cr);
  cairo_set_dash(cr, nullptr, 0, 0.0);
}

void Band(cairo_t* cr, const Mapping& m, double low, double high, Colour colour, double alpha) {
  Use(cr, colour, alpha);
  const double top = m.Y(high), bottom = m.Y(low);
  cairo_rectangle(cr, m.plot.left, top, m.plot.Width(), bottom - top);
  cairo_fill(cr);
}

// A label to the right of the plot at a level, moved apart from the others.
struct SideLabel {
  double y;
  std::string text;
  Colour colour;
};

void SideLabels(cairo_t* cr, const Mapping& m, std::vector<SideLabel> labels) {
  constexpr double kLine = 10.5;
  std::sort(labels.begin(), labels.end(), [](const auto& a, const auto& b) { return a.y < b.y; });
  for (std::size_t i = 1; i < labels.size(); ++i)
    labels[i].y = std::max(labels[i].y, labels[i - 1].y + kLine);
  // Pushed past the bottom: moved up together.
  if (!labels.empty() && labels.back().y > m.plot.bottom + 4.0) {
    labels.back().y = m.plot.bottom + 4.0;
    for (std::size_t i = labels.size() - 1; i-- > 0;)
      labels[i].y = std::min(labels[i].y, labels[i + 1].y - kLine);
  }
  Font(cr, 8.5, true);
  const double x = m.plot.right + 6.0, room = kReportPageWidth - 4.0 - x;
  for (const auto& label : labels) {
    Use(cr, label.colour);
    // Too long for the margin: without its first word ("−23.0 ±0.5"), which
    // the colour and the legend tell.
    std::string text = label.text;
    if (const auto space = text.find(' '); Advance(cr, text) > room && space != std::string::npos)
      text.erase(0, space + 1);
    Text(cr, x, CentredBaseline(cr, label.y), text);
  }
}

void TruePeakMark(cairo_t* cr, const Mapping& m, double seconds, double value) {
  const double x = m.X(seconds), y = m.Y(value);
  // Pointing down at the peak, or up at it from below where the plot's top
  // leaves no room above.
  const double side = y - 10.0 < m.plot.top ? 1.0 : -1.0;
  Use(cr, kPeak);
  cairo_move_to(cr, x, y);
  cairo_line_to(cr, x - 4.5, y + side * 8.0);
  cairo_line_to(cr, x + 4.5, y + side * 8.0);
  cairo_close_path(cr);
  cairo_fill(cr);
  Font(cr, 8.5);
  const std::string moment = m.time.high >= 120.0 ? ClockTime(seconds, 2) : Fixed(seconds, 2) + " s";
  const std::string text = Typeset("TP max " + Fixed(value, 1) + " dBTP at " + moment);
  const bool leftOfMark = x + 8.0 + Advance(cr, text) > m.plot.right;
  const double baseline = side < 0.0 ? y - 1.0 : y + 8.0;
  Text(cr, leftOfMark ? x - 7.0 : x + 7.0, baseline, text, leftOfMark ? Align::kRight : Align::kLeft);
}

void Graph(cairo_t* cr, const ReportPage& page, const ReportGraph& g, const Rect& plot, bool timeLabels,
           bool typeTag) {
  const Mapping m{plot, page.time, g.level};
  // Grid, then the bands and the curves inside the plot only.
  Use(cr, kGrid);
  cairo_set_line_width(cr, 0.6);
  for (const auto& tick : g.level.ticks) {
    cairo_move_to(cr, plot.left, m.Y(tick.value));
    cairo_line_to(cr, plot.right, m.Y(tick.value));
  }
  for (const auto& tick : page.time.ticks) {
    cairo_move_to(cr, m.X(tick.value), plot.top);
    cairo_line_to(cr, m.X(tick.value), plot.bottom);
  }
  cairo_stroke(cr);

  cairo_save(cr);
  cairo_rectangle(cr, plot.left, plot.top, plot.Width(), plot.Height());
  cairo_clip(cr);
  if (g.rangeLow && g.rangeHigh) Band(cr, m, *g.rangeLow, *g.rangeHigh, kRange, 0.28);
  if (g.bandLow && g.bandHigh && *g.bandHigh > *g.bandLow)
    Band(cr, m, *g.bandLow, *g.bandHigh, kTarget, 0.22);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  if (g.momentary) {
    Use(cr, kMomentary);
    cairo_set_line_width(cr, 0.9);
    Curve(cr, m, *g.momentary, *page.seconds, g.momentaryFrom);
  }
  if (g.shortTerm) {
    Use(cr, kShortTerm);
    cairo_set_line_width(cr, 1.6);
    Curve(cr, m, *g.shortTerm, *page.seconds, g.shortTermFrom);
  }
  if (g.bandLow && g.bandHigh) {
    HorizontalLine(cr, m, *g.bandLow, kTarget, 1.0, true);
    if (*g.bandHigh > *g.bandLow) HorizontalLine(cr, m, *g.bandHigh, kTarget, 1.0, true);
  }
  if (g.integrated) HorizontalLine(cr, m, *g.integrated, kIntegrated, 1.8, false);
  if (g.ceiling) HorizontalLine(cr, m, *g.ceiling, kPeak, 1.2, true);
  cairo_restore(cr);
  if (g.truePeak && g.truePeakSeconds && *g.truePeak >= g.level.low)
    TruePeakMark(cr, m, *g.truePeakSeconds, *g.truePeak);

  Use(cr, kFrame);
  cairo_set_line_width(cr, 0.8);
  cairo_rectangle(cr, plot.left, plot.top, plot.Width(), plot.Height());
  cairo_stroke(cr);

  // The level axis: its ticks on the left, the unit beside them.
  Font(cr, 8.5);
  Use(cr, kInk);
  for (const auto& tick : g.level.ticks)
    Text(cr, plot.left - 5.0, CentredBaseline(cr, m.Y(tick.value)), tick.label, Align::kRight);
  cairo_save(cr);
  cairo_translate(cr, kMargin + 6.0, (plot.top + plot.bottom) / 2.0);
  cairo_rotate(cr, -std::numbers::pi / 2.0);
  Font(cr, 9.5, true);
  Text(cr, 0.0, 0.0, g.level.title, Align::kCentre);
  cairo_restore(cr);
  if (typeTag && !g.type.empty()) {
    Font(cr, 9.0, true);
    const double width = Advance(cr, g.type) + 8.0;
    cairo_set_source_rgba(cr, 1.0, 1.0, 1.0, 0.85);
    cairo_rectangle(cr, plot.left + 1.0, plot.top + 1.0, width, 14.0);
    cairo_fill(cr);
    Use(cr, kInk);
    Text(cr, plot.left + 5.0, plot.top + 11.5, g.type);
  }

  std::vector<SideLabel> labels;
  if (g.integrated)
    labels.push_back({m.Y(*g.integrated), Typeset("I " + Fixed(*g.integrated, 1)), kIntegrated});
  if (g.rangeLow && g.rangeHigh) {
    labels.push_back({m.Y((*g.rangeLow + *g.rangeHigh) / 2.0),
                      "LRA " + Fixed(*g.rangeHigh - *g.rangeLow, 1),
                      {0.40, 0.32, 0.68}});
  }
  if (g.bandLow && g.bandHigh) {
    const double centre = (*g.bandLow + *g.bandHigh) / 2.0;
    const std::string text = *g.bandHigh > *g.bandLow ? "target " + Fixed(centre, 1) + " \u00b1" +
                                                            Fixed((*g.bandHigh - *g.bandLow) / 2.0, 1)
                                                      : "target " + Fixed(centre, 1);
    labels.push_back({m.Y(centre), Typeset(text), kTarget});
  }
  if (g.ceiling) {
    const bool above = *g.ceiling > g.level.high;
    labels.push_back({above ? plot.top : m.Y(*g.ceiling),
                      Typeset((above ? "\u2191 ceiling " : "ceiling ") + Fixed(*g.ceiling, 1)), kPeak});
  }
  std::erase_if(labels, [&](const auto& l) { return l.y < plot.top - 6.0 || l.y > plot.bottom + 6.0; });
  SideLabels(cr, m, labels);

  if (!timeLabels) return;
  Font(cr, 8.5);
  Use(cr, kInk);
  for (const auto& tick : page.time.ticks)
    Text(cr, m.X(tick.value), plot.bottom + 12.0, tick.label, Align::kCentre);
  Font(cr, 9.5, true);
  Text(cr, (plot.left + plot.right) / 2.0, plot.bottom + 27.0, page.time.title, Align::kCentre);
}

// The legend's entries of what the page's graphs show.
double Legend(cairo_t* cr, const ReportPage& page, double y) {
  bool momentary = false, shortTerm = false, integrated = false, range = false, band = false, ceiling = false,
       peak = false;
  for (const auto& g : page.graphs) {
    momentary = momentary || g.momentary;
    shortTerm = shortTerm || g.shortTerm;
    integrated = integrated || g.integrated;
    range = range || (g.rangeLow && g.rangeHigh);
    band = band || (g.bandLow && g.bandHigh);
    ceiling = ceiling || g.ceiling;
    peak = peak || g.truePeakSeconds;
  }
  enum class Mark { kLine, kThinLine, kDashed, kArea, kTriangle };
  struct Entry {
    bool shown;
    Mark mark;
    Colour colour;
    const char* text;
  };
  const Entry entries[] = {
      {momentary, Mark::kThinLine, kMomentary, "momentary"},
      {shortTerm, Mark::kLine, kShortTerm, "short-term"},
      {integrated, Mark::kLine, kIntegrated, "integrated"},
      {range, Mark::kArea, kRange, "loudness range"},
      {band, Mark::kDashed, kTarget, "target"},
      {ceiling, Mark::kDashed, kPeak, "true-peak ceiling"},
      {peak, Mark::kTriangle, kPeak, "true-peak maximum"},
  };
  double x = kPlotLeft;
  Font(cr, 9.0);
  for (const Entry& e : entries) {
    if (!e.shown) continue;
    const double mid = y - 3.0;
    Use(cr, e.colour, e.mark == Mark::kArea ? 0.45 : 1.0);
    switch (e.mark) {
      case Mark::kArea:
        cairo_rectangle(cr, x, mid - 4.5, 20.0, 9.0);
        cairo_fill(cr);
        break;
      case Mark::kTriangle:
        cairo_move_to(cr, x + 10.0, mid + 4.0);
        cairo_line_to(cr, x + 5.5, mid - 4.0);
        cairo_line_to(cr, x + 14.5, mid - 4.0);
        cairo_close_path(cr);
        cairo_fill(cr);
        break;
      default: {
        const double dash[] = {5.0, 3.0};
        cairo_set_dash(cr, dash, e.mark == Mark::kDashed ? 2 : 0, 0.0);
        cairo_set_line_width(cr, e.mark == Mark::kThinLine ? 1.2 : 2.0);
        cairo_move_to(cr, x, mid);
        cairo_line_to(cr, x + 20.0, mid);
        cairo_stroke(cr);
        cairo_set_dash(cr, nullptr, 0, 0.0);
      }
    }
    Use(cr, kInk);
    x += 25.0 + Text(cr, x + 25.0, y, e.text) + 16.0;
  }
  return y;
}

// The file, its facts, each type's readings and the verdict; returns where
// the header ends.
double Header(cairo_t* cr, const ReportPage& page) {
  double y = kMargin + 12.0;
  Font(cr, 15.0, true);
  Use(cr, kInk);
  Text(cr, kMargin, y, Fitted(cr, page.title, kReportPageWidth - 2 * kMargin));
  y += 16.0;
  Font(cr, 9.5);
  Use(cr, kMuted);
  Text(cr, kMargin, y, page.facts);
  constexpr double kRight = kReportPageWidth - kMargin;
  for (const auto& g : page.graphs) {
    y += 17.0;
    double x = kMargin;
    Font(cr, 10.5, true);
    Use(cr, kInk);
    if (!g.type.empty()) x += Text(cr, x, y, g.type) + 12.0;
    const double indent = std::max(x, kMargin + 44.0);
    x = indent;
    for (const auto& [heading, value] : g.readings) {
      const std::string shown = Typeset(value);
      Font(cr, 10.5);
      const double width = Advance(cr, heading + " ");
      Font(cr, 10.5, true);
      // A type with more readings than the line holds goes on below.
      if (x > indent && x + width + Advance(cr, shown) > kRight) {
        y += 14.0;
        x = indent;
      }
      Font(cr, 10.5);
      Use(cr, kMuted);
      x += Text(cr, x, y, heading + " ");
      Font(cr, 10.5, true);
      Use(cr, kInk);
      x += Text(cr, x, y, shown) + 18.0;
    }
  }
  if (!page.verdict.empty() || page.passed) {
    y += 20.0;
    double x = kMargin;
    if (page.passed) {
      Font(cr, 10.5, true);
      const std::string word = *page.passed ? "PASS" : "FAIL";
      const double width = Advance(cr, word) + 10.0;
      Use(cr, *page.passed ? kPass : kPeak);
      cairo_rectangle(cr, x, y - 11.0, width, 15.0);
      cairo_fill(cr);
      cairo_set_source_rgb(cr, 1.0, 1.0, 1.0);
      Text(cr, x + 5.0, y, word);
      x += width + 8.0;
    }
    Font(cr, 10.5);
    Use(cr, kInk);
    const std::vector<std::string> lines = Wrapped(cr, Typeset(page.verdict), kRight - x);
    for (std::size_t i = 0; i < lines.size(); ++i) {
      if (i > 0) y += 14.0;
      Text(cr, x, y, lines[i]);
    }
  }
  return y;
}

}  // namespace

void DrawReportPage(cairo_t* cr, const ReportPage& page) {
  cairo_save(cr);
  cairo_set_source_rgb(cr, 1.0, 1.0, 1.0);
  cairo_paint(cr);
  double y = Header(cr, page);
  if (!page.problem.empty() || page.graphs.empty() || page.seconds == nullptr) {
    Font(cr, 12.0);
    Use(cr, kPeak);
    const std::string text =
        !page.problem.empty() ? page.problem : "the plug-in reported no loudness over time";
    Text(cr, kReportPageWidth / 2.0, kReportPageHeight / 2.0,
         Fitted(cr, text, kReportPageWidth - 2 * kMargin), Align::kCentre);
    cairo_restore(cr);
    return;
  }
  y = Legend(cr, page, y + 22.0);
  const double top = y + 12.0;
  const auto count = static_cast<double>(page.graphs.size());
  const double height = (kPlotBottom - top - kGraphGap * (count - 1.0)) / count;
  for (std::size_t i = 0; i < page.graphs.size(); ++i) {
    const double graphTop = top + static_cast<double>(i) * (height + kGraphGap);
    Graph(cr, page, page.graphs[i], {kPlotLeft, graphTop, kPlotRight, graphTop + height},
          i + 1 == page.graphs.size(), page.graphs.size() > 1);
  }
  cairo_restore(cr);
}

}  // namespace kalvo5::meter
