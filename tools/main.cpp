// kalvo5-meter: measures audio files with a VST 2 plug-in from the shell.
#include <malloc.h>

#include <cstdio>
#include <iostream>

#include "tools/MeterCommand.h"

int main(int argc, char** argv) {
  // Every file gets fresh plug-in instances, whose analyzers take tens of
  // megabytes. Keeping freed memory in the process (instead of returning each
  // large block to the system) lets the next instance reuse it without a
  // page fault per page, which also keeps parallel workers from queueing on
  // the kernel's lock of the address space.
  mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
  mallopt(M_TRIM_THRESHOLD, 512 * 1024 * 1024);
  return kalvo5::meter::MeterMain(argc, argv, std::cout, std::cerr, stderr);
}
