// kalvo5-meter on Windows: the arguments as UTF-8 (from the wide command
// line, so any file name reaches the command) and UTF-8 on the console.
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
  return kalvo5::meter::MeterMain(count, argv.data(), std::cout, std::cerr, stderr);
}
