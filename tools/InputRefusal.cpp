// The sentences for inputs that could not be opened, on every system.
#include "tools/InputFile.h"

namespace kalvo5::meter {

std::string RefusalMessage(const InputRefusal& refusal, const std::string& noun, const std::string& path) {
  switch (refusal.kind) {
    case InputRefusal::kMissing:
      return noun + " not found: " + path;
    case InputRefusal::kFolder:
      return std::string(noun.find_first_of("aeiou") == 0 ? "not an " : "not a ") + noun +
             " (a folder): " + path;
    case InputRefusal::kUnreadableFolder:
      return "cannot read the folder " + path + ": " + refusal.detail;
    case InputRefusal::kNotRegular:
      return "not a regular file (" + refusal.detail + "): " + path;
    case InputRefusal::kUnreadable:
      break;
  }
  return "cannot open " + noun + " " + path + ": " + refusal.detail;
}

}  // namespace kalvo5::meter
