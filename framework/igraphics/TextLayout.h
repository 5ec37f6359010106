// Breaking a text into lines that fit a width, and shortening a text in its
// middle.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace igraphics {

// Lines of at most `maxWidth` as `measure` sees them, broken at spaces and
// line breaks (a word wider than the width gets a line of its own).
std::vector<std::string> WrapText(const std::string& text, float maxWidth,
                                  const std::function<float(const std::string&)>& measure);

// With n > 6 and a text of at least n characters: its first n/2 and last
// n - n/2 characters with " ... " written over them from position n/2 - 2
// (exactly n characters). Otherwise the text unchanged.
std::string ShortenMiddle(const std::string& text, int n);

}  // namespace igraphics
