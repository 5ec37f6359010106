// kalvo5-meter on Windows: the arguments as UTF-8 (from the wide command
// line, so any file name reaches the command), UTF-8 on the console, and the
// output's lines ended as on Linux (no text-mode "\r\n"), so reports and CSV
// files are the same bytes on both systems.
#include <fcntl.h>
#include <io.h>
#include <windows.h>
// After windows.h: the shell's header needs its types.
#include <shellapi.h>

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "platform/TextEncoding.h"
#include "tools/MeterCommand.h"

int main() {
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  for (int i = 0; i < count; ++i) arguments.push_back(platform::Utf16ToUtf8(wide[i]));
  if (wide) LocalFree(wide);
  std::vector<const char*> argv;
  for (const std::string& argument : arguments) argv.push_back(argument.c_str());
  argv.push_back(nullptr);
  SetConsoleOutputCP(CP_UTF8);
  _setmode(_fileno(stdin), _O_BINARY);  // audio on standard input
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  return kalvo5::meter::MeterMain(count, argv.data(), std::cout, std::cerr, stderr);
}
