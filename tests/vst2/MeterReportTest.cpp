// The meter command's loudness report (--report) of Kalvo5.so's readings:
// the pictures the meter program writes, read back as a person reads them.
#include <cairo.h>
#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <numbers>
#include <optional>
#include <sstream>
#include <string>
#include <utility>

#include "Kalvo5Module.h"
#include "tools/ExitCode.h"
#include "tools/MeterTestSupport.h"

namespace kalvo5::vst2test {
namespace {

using meter::test::Bytes;
using meter::test::MeterRun;
using meter::test::RunMeterProgram;
using meter::test::TempFolder;
using meter::test::WriteAudio;

// A stereo 997 Hz sine, 10 s at -30 LUFS then 10 s at -20 LUFS (a stereo
// sine reads its peak level).
std::string Step(const TempFolder& folder) {
  const std::string path = folder.Path("step.wav");
  constexpr int kRate = 48000;
  WriteAudio(
      path, 2, kRate, 20L * kRate,
      [](int, long n) {
        const double amplitude = std::pow(10.0, (n < 10L * kRate ? -30.0 : -20.0) / 20.0);
        return amplitude * std::sin(2.0 * std::numbers::pi * 997.0 * static_cast<double>(n) / kRate);
      },
      SF_FORMAT_WAV | SF_FORMAT_FLOAT);
  return path;
}

MeterRun Meter(const std::string& args) {
  return RunMeterProgram("--plugin '" + std::string(Kalvo5Path()) + "' " + args);
}

std::string Output(const std::string& command) {
  std::string out;
  if (std::FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    pclose(pipe);
  }
  return out;
}

struct Word {
  std::string text;
  double xMin, yMin, xMax, yMax;  // points from the page's top left
  double X() const { return (xMin + xMax) / 2.0; }
  double Y() const { return (yMin + yMax) / 2.0; }
};

// The words of a PDF page with their boxes, as poppler extracts them.
std::vector<Word> Words(const std::string& pdf) {
  const std::string html = Output("pdftotext -bbox '" + pdf + "' - 2>/dev/null");
  // <word xMin="…" yMin="…" xMax="…" yMax="…">text</word>, one a line.
  const auto attribute = [](const std::string& line, const std::string& name) {
    const auto at = line.find(name + "=\"");
    return at == std::string::npos ? 0.0 : std::stod(line.substr(at + name.size() + 2));
  };
  std::vector<Word> words;
  std::istringstream lines(html);
  for (std::string line; std::getline(lines, line);) {
    const auto open = line.find("<word "), text = line.find('>', open), close = line.find("</word>");
    if (open == std::string::npos || text == std::string::npos || close == std::string::npos) continue;
    words.push_back({line.substr(text + 1, close - text - 1), attribute(line, "xMin"),
                     attribute(line, "yMin"), attribute(line, "xMax"), attribute(line, "yMax")});
  }
  return words;
}

// The word `text` farthest to the left (a level label) or, with `lowest`,
// farthest down (a time label).
std::optional<Word> Label(const std::vector<Word>& words, const std::string& text, bool lowest) {
  std::optional<Word> found;
  for (const Word& w : words) {
    if (w.text == text && (!found || (lowest ? w.yMin > found->yMin : w.xMin < found->xMin))) found = w;
  }
  return found;
}

struct Rgb {
  int r, g, b;
};

int Distance(cairo_surface_t* image, int x, int y, Rgb colour) {
  std::uint32_t pixel;
  std::memcpy(&pixel, cairo_image_surface_get_data(image) + y * cairo_image_surface_get_stride(image) + x * 4,
              4);
  return std::abs(static_cast<int>((pixel >> 16) & 0xFF) - colour.r) +
         std::abs(static_cast<int>((pixel >> 8) & 0xFF) - colour.g) +
         std::abs(static_cast<int>(pixel & 0xFF) - colour.b);
}

// The row of column x whose pixel comes closest to `colour` (a line); -1
// when none comes close.
int RowOf(cairo_surface_t* image, int x, Rgb colour) {
  int best = -1, bestDistance = 60;
  for (int y = 0; y < cairo_image_surface_get_height(image); ++y) {
    if (const int d = Distance(image, x, y, colour); d < bestDistance) {
      best = y;
      bestDistance = d;
    }
  }
  return best;
}

// The first and last rows of column x in `colour` (an area).
std::pair<int, int> RowsOf(cairo_surface_t* image, int x, Rgb colour) {
  std::pair<int, int> rows{-1, -1};
  for (int y = 0; y < cairo_image_surface_get_height(image); ++y) {
    if (Distance(image, x, y, colour) > 6) continue;
    if (rows.first < 0) rows.first = y;
    rows.second = y;
  }
  return rows;
}

constexpr Rgb kMomentary{120, 171, 230};
constexpr Rgb kShortTerm{10, 61, 148};
constexpr Rgb kLoudnessRange{228, 223, 244};
constexpr double kPixelsPerPoint = 2.0;  // the PNG is the PDF's page at 144 dpi

TEST(MeterReport, CurvesLieWhereTheAxesOfThePageSayTheLoudnessWas) {
  TempFolder folder;
  const std::string step = Step(folder);
  const std::string png = folder.Path("step.png"), pdf = folder.Path("step.pdf");
  // The same page twice: the PDF's text tells where its axes are.
  for (const std::string& report : {png, pdf}) {
    const MeterRun run = Meter("--target -23 --report '" + report + "' '" + step + "'");
    ASSERT_EQ(run.code, meter::kExitOk) << run.err;
  }

  cairo_surface_t* image = cairo_image_surface_create_from_png(png.c_str());
  ASSERT_EQ(cairo_surface_status(image), CAIRO_STATUS_SUCCESS);
  EXPECT_EQ(cairo_image_surface_get_width(image), 1684);
  EXPECT_EQ(cairo_image_surface_get_height(image), 1190);

  // The axes by their labels: levels on the left, time along the bottom.
  const std::vector<Word> words = Words(pdf);
  const auto minus20 = Label(words, "\u221220", false), minus30 = Label(words, "\u221230", false);
  const auto start = Label(words, "0", true), end = Label(words, "20", true);
  ASSERT_TRUE(minus20 && minus30 && start && end) << Output("pdftotext -bbox '" + pdf + "' -");
  const auto row = [&](double lufs) {
    return kPixelsPerPoint * (minus30->Y() + (lufs + 30.0) / 10.0 * (minus20->Y() - minus30->Y()));
  };
  const auto column = [&](double seconds) {
    return static_cast<int>(
        std::lround(kPixelsPerPoint * (start->X() + seconds / 20.0 * (end->X() - start->X()))));
  };
  // 1 s after the step the momentary loudness is -20 (the short-term one,
  // drawn over it once they meet, still rises); at 5 s both are -30.
  EXPECT_NEAR(RowOf(image, column(11.0), kMomentary), row(-20.0), 2.0);
  EXPECT_NEAR(RowOf(image, column(5.0), kShortTerm), row(-30.0), 2.0);
  // The loudness range: from the quieter half to the louder one, each edge
  // where no curve lies on it (the grid line on it takes a row or two).
  EXPECT_NEAR(RowsOf(image, column(1.0), kLoudnessRange).first, row(-20.0), 3.0);
  EXPECT_NEAR(RowsOf(image, column(15.0), kLoudnessRange).second, row(-30.0), 3.0);
  cairo_surface_destroy(image);

  // The header: the file, its readings (I: the power mean of both halves)
  // and the verdict of the target.
  const std::string text = Output("pdftotext -layout '" + pdf + "' -");
  EXPECT_NE(text.find("step.wav"), std::string::npos) << text;
  EXPECT_NE(text.find("I \u221222.6 LUFS"), std::string::npos) << text;
  EXPECT_NE(text.find("PASS"), std::string::npos) << text;
  EXPECT_NE(text.find("target \u221223.0 LUFS: gain"), std::string::npos) << text;
}

TEST(MeterReport, SeveralFilesGiveAPdfPageOrAnImageEach) {
  TempFolder folder;
  const std::string step = Step(folder);
  const std::string files = "'" + step + "' '" + step + "' '" + folder.Path("missing.wav") + "'";
  MeterRun run = Meter("--check ebu-r128 --report '" + folder.Path("all.pdf") + "' " + files);
  EXPECT_EQ(run.code, meter::kExitInput) << run.err;  // the missing file, on a page of its own
  const std::string info = Output("pdfinfo '" + folder.Path("all.pdf") + "'");
  const auto pages = info.find("Pages:");
  ASSERT_NE(pages, std::string::npos) << info;
  EXPECT_EQ(std::stoi(info.substr(pages + 6)), 3) << info;
  const std::string text = Output("pdftotext '" + folder.Path("all.pdf") + "' -");
  EXPECT_NE(text.find("missing.wav"), std::string::npos) << text;
  EXPECT_NE(text.find("ebu-r128: every criterion met"), std::string::npos) << text;

  run = Meter("--report '" + folder.Path("Page.SVG") + "' '" + step + "' '" + step + "'");
  EXPECT_EQ(run.code, meter::kExitOk) << run.err;
  for (const char* name : {"Page.SVG", "Page-2.SVG"}) {
    const std::string svg = Bytes(folder.Path(name));
    EXPECT_NE(svg.find("<title>" + step + "</title>"), std::string::npos) << name;
    EXPECT_NE(svg.find("I -22.6 LUFS"), std::string::npos) << name;
  }
  EXPECT_FALSE(std::filesystem::exists(folder.Path("Page-3.SVG")));
}

TEST(MeterReport, AnotherExtensionIsRefusedBeforeMeasuring) {
  TempFolder folder;
  const std::string step = Step(folder);
  const MeterRun run = Meter("--report '" + folder.Path("report.jpg") + "' '" + step + "'");
  EXPECT_EQ(run.code, meter::kExitUsage);
  EXPECT_NE(run.err.find(".png, .svg or .pdf"), std::string::npos) << run.err;
  EXPECT_EQ(run.out, "");
  EXPECT_FALSE(std::filesystem::exists(folder.Path("report.jpg")));
}

}  // namespace
}  // namespace kalvo5::vst2test
