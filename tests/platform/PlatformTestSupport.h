// Helpers of the platform tests: environment variables set for one test, and
// stand-in programs that record how they were started.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace platform::test {

// Sets (or with nullptr removes) an environment variable until the end of
// the scope.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : mName(name) {
    if (const char* old = std::getenv(name)) mOld = old;
    if (value)
      setenv(name, value, 1);
    else
      unsetenv(name);
  }
  ~ScopedVariable() {
    if (mOld)
      setenv(mName.c_str(), mOld->c_str(), 1);
    else
      unsetenv(mName.c_str());
  }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

 private:
  std::string mName;
  std::optional<std::string> mOld;
};

// Writes an executable shell script `name` into `folder`. The script finds
// the system's tools whatever PATH the test gave it.
inline void WriteStandIn(const std::string& folder, const std::string& name, const std::string& body) {
  const std::string path = folder + "/" + name;
  std::ofstream(path) << "#!/bin/sh\nPATH=/usr/bin:/bin\n" << body;
  chmod(path.c_str(), 0755);
}

// Script lines that store the script's arguments, NUL-separated, in
// `record` once complete.
inline std::string RecordArguments(const std::string& record) {
  return "for a in \"$@\"; do printf '%s\\0' \"$a\"; done > '" + record + ".tmp'\nmv '" + record + ".tmp' '" +
         record + "'\n";
}

inline std::string ReadAll(const std::string& path) {
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

// Waits up to ten seconds for a file to appear.
inline bool WaitForFile(const std::string& path) {
  for (int i = 0; i < 1000; ++i) {
    if (std::filesystem::exists(path)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

inline std::vector<std::string> SplitAtNul(const std::string& text) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\0', start)) != std::string::npos; start = end + 1)
    parts.push_back(text.substr(start, end - start));
  return parts;
}

// A text that a shell would turn into commands creating `folder`/pwned; as
// an argument it must arrive whole and unchanged.
inline std::string HostileText(const std::string& folder) {
  const std::string target = folder + "/pwned";
  return "a b; touch " + target + " $(touch " + target + ") `touch " + target + "` it's \"q\" | tee " +
         target + " *";
}

}  // namespace platform::test
