// Build-time program: typesets the manual's text into its PDF.
//
//   kalvo5-typeset-manual TEXT OUTPUT.pdf REGULAR.ttf BOLD.ttf VERSION
//
// "@VERSION@" in the text becomes VERSION. The PDF's creation date is
// $SOURCE_DATE_EPOCH when set, else the text file's modification time, so
// the same text gives the same bytes in every build.
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>

#include "ManualMarkup.h"
#include "PdfTypesetter.h"

namespace {

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

std::string CreateDate(const std::string& textPath) {
  std::time_t when = 0;
  if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH")) {
    when = static_cast<std::time_t>(std::strtoll(epoch, nullptr, 10));
  } else {
    struct stat facts {};
    if (::stat(textPath.c_str(), &facts) == 0) when = facts.st_mtime;
  }
  std::tm utc{};
  if (!gmtime_r(&when, &utc)) return {};
  char date[32];
  std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return date;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fprintf(stderr, "usage: %s TEXT OUTPUT.pdf REGULAR.ttf BOLD.ttf VERSION\n", argv[0]);
    return 2;
  }
  const std::string textPath = argv[1];
  std::ifstream file(textPath, std::ios::binary);
  if (!file) {
    std::fprintf(stderr, "%s: cannot read %s\n", argv[0], textPath.c_str());
    return 1;
  }
  std::ostringstream text;
  text << file.rdbuf();
  std::istringstream source(Replace(text.str(), "@VERSION@", argv[5]));

  manual::DocumentInfo info;
  info.regularFont = argv[3];
  info.boldFont = argv[4];
  info.title = "Kalvo5 manual";
  info.author = "Vantorel";
  info.createDate = CreateDate(textPath);
  std::string error;
  if (!manual::TypesetPdf(manual::ParseMarkup(source), info, argv[2], error)) {
    std::fprintf(stderr, "%s: %s\n", argv[0], error.c_str());
    std::remove(argv[2]);
    return 1;
  }
  return 0;
}
