// One plug-in object shared by every run of a fuzz target, in a private data
// folder, with the timer ticks under the target's control.
#pragma once

#include <string>

#include "module/Kalvo5VST2.h"

namespace kalvo5::fuzz {

// Created on first use.
Kalvo5VST2<>& FuzzPlugin();

// A private folder for files the targets write.
const std::string& ScratchFolder();

// Stops the process (so the fuzzer reports the input) when a parameter holds
// NaN or a value outside its range, or the mirror disagrees with a setting.
void CheckParameters(const Kalvo5& plugin);

// Puts every parameter back to its default, as a fresh instance has them.
void RestoreDefaults(Kalvo5& plugin);

}  // namespace kalvo5::fuzz
