// kalvo5-meter: measures audio files with a VST 2 plug-in from the shell.
#include <cstdio>
#include <iostream>

#include "tools/MeterCommand.h"

int main(int argc, char** argv) { return kalvo5::meter::MeterMain(argc, argv, std::cout, std::cerr, stderr); }
