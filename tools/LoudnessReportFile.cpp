// The loudness report written through cairo's own surfaces: PNG pages from
// its image surface, SVG and PDF from its vector ones.
#include <cairo-pdf.h>
#include <cairo-svg.h>
#include <cairo.h>

#include <memory>
#include <ostream>

#include "tools/LoudnessReport.h"
#include "tools/LoudnessReportDrawing.h"
#include "tools/LoudnessReportPage.h"
#include "tools/OutputFile.h"

namespace kalvo5::meter {
namespace {

// The PNG pages: 144 pixels per inch.
constexpr double kPngScale = 2.0;

struct SurfaceDeleter {
  void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct ContextDeleter {
  void operator()(cairo_t* c) const { cairo_destroy(c); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;
using Context = std::unique_ptr<cairo_t, ContextDeleter>;

cairo_status_t ToStream(void* closure, const unsigned char* data, unsigned int length) {
  auto& out = *static_cast<std::ostream*>(closure);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(length));
  return out ? CAIRO_STATUS_SUCCESS : CAIRO_STATUS_WRITE_ERROR;
}

cairo_status_t ToString(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

// Draws a page on a surface; the first error of either.
cairo_status_t Draw(cairo_surface_t* surface, const ReportPage& page, double scale) {
  const Context cr(cairo_create(surface));
  cairo_scale(cr.get(), scale, scale);
  DrawReportPage(cr.get(), page);
  if (const cairo_status_t status = cairo_status(cr.get()); status != CAIRO_STATUS_SUCCESS) return status;
  return cairo_surface_status(surface);
}

std::string XmlText(const std::string& text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

// cairo draws an SVG's text as glyph outlines; the header's texts also go
// into the document's title and description, where readers and searches
// find them.
std::string WithDescription(std::string svg, const ReportPage& page) {
  std::string description = page.facts;
  for (const auto& g : page.graphs) {
    description += "\n" + g.type;
    for (const auto& [heading, value] : g.readings) description += "  " + heading + " " + value;
  }
  if (!page.verdict.empty()) description += "\n" + page.verdict;
  if (!page.problem.empty()) description += "\n" + page.problem;
  const std::size_t root = svg.find("<svg");
  const std::size_t end = root == std::string::npos ? root : svg.find('>', root);
  if (end == std::string::npos) return svg;
  svg.insert(end + 1,
             "\n<title>" + XmlText(page.title) + "</title>\n<desc>" + XmlText(description) + "</desc>");
  return svg;
}

cairo_status_t WritePng(std::ostream& out, const ReportPage& page) {
  const Surface surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24,
                                                   static_cast<int>(kReportPageWidth * kPngScale),
                                                   static_cast<int>(kReportPageHeight * kPngScale)));
  if (const cairo_status_t status = Draw(surface.get(), page, kPngScale); status != CAIRO_STATUS_SUCCESS)
    return status;
  return cairo_surface_write_to_png_stream(surface.get(), ToStream, &out);
}

cairo_status_t WriteSvg(std::ostream& out, const ReportPage& page) {
  std::string svg;
  {
    const Surface surface(
        cairo_svg_surface_create_for_stream(ToString, &svg, kReportPageWidth, kReportPageHeight));
    if (const cairo_status_t status = Draw(surface.get(), page, 1.0); status != CAIRO_STATUS_SUCCESS)
      return status;
    cairo_surface_finish(surface.get());
    if (const cairo_status_t status = cairo_surface_status(surface.get()); status != CAIRO_STATUS_SUCCESS)
      return status;
  }
  out << WithDescription(std::move(svg), page);
  return out ? CAIRO_STATUS_SUCCESS : CAIRO_STATUS_WRITE_ERROR;
}

cairo_status_t WritePdf(std::ostream& out, const std::vector<ReportPage>& pages) {
  const Surface surface(
      cairo_pdf_surface_create_for_stream(ToStream, &out, kReportPageWidth, kReportPageHeight));
  cairo_pdf_surface_set_metadata(surface.get(), CAIRO_PDF_METADATA_TITLE, "Loudness report");
  cairo_pdf_surface_set_metadata(surface.get(), CAIRO_PDF_METADATA_CREATOR, "kalvo5-meter");
  for (const ReportPage& page : pages) {
    const Context cr(cairo_create(surface.get()));
    DrawReportPage(cr.get(), page);
    cairo_show_page(cr.get());
    if (const cairo_status_t status = cairo_status(cr.get()); status != CAIRO_STATUS_SUCCESS) return status;
  }
  cairo_surface_finish(surface.get());
  return cairo_surface_status(surface.get());
}

// One file of the report through a PendingFile; `write` fills it.
Failure WriteReportFile(const std::string& path, const std::function<cairo_status_t(std::ostream&)>& write) {
  cairo_status_t status = CAIRO_STATUS_SUCCESS;
  std::string error;
  const bool written = WriteTextFile(
      path,
      [&](std::ostream& out) {
        status = write(out);
        if (status != CAIRO_STATUS_SUCCESS) out.setstate(std::ios::failbit);
      },
      error);
  if (status != CAIRO_STATUS_SUCCESS && status != CAIRO_STATUS_WRITE_ERROR) {
    error = "cannot draw " + path + ": " + cairo_status_to_string(status);
  }
  return written ? Failure{} : Failure{kExitOutput, "--report: " + error};
}

}  // namespace

std::string ReportRefusal(const std::string& path) {
  if (ReportFormatFor(path) != ReportFormat::kUnknown) return {};
  return "unknown report type; use a name ending in .png, .svg or .pdf";
}

Failure WriteLoudnessReport(const std::string& path, const std::vector<ReportPageInput>& inputs) {
  std::vector<ReportPage> pages;
  for (const auto& input : inputs) pages.push_back(PageOf(input));
  const ReportFormat format = ReportFormatFor(path);
  if (format == ReportFormat::kPdf) {
    return WriteReportFile(path, [&](std::ostream& out) { return WritePdf(out, pages); });
  }
  for (std::size_t i = 0; i < pages.size(); ++i) {
    const auto write = [&](std::ostream& out) {
      return format == ReportFormat::kSvg ? WriteSvg(out, pages[i]) : WritePng(out, pages[i]);
    };
    if (const Failure f = WriteReportFile(ReportPagePath(path, i), write); f.Failed()) return f;
  }
  return {};
}

}  // namespace kalvo5::meter
