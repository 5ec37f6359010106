// Several audio sources of one sample rate and channel count read one after
// the other, as one programme: the total ("album") measurement of a set of
// files.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tools/AudioSource.h"

namespace kalvo5::meter {

// Whether sources can be read as one: the same sample rate and channel count.
// False with a message naming one that differs.
bool CanConcatenate(const std::vector<const AudioSource*>& parts, std::string& error);

// Null with a message when the parts differ in sample rate or channel count
// (or there are none).
std::unique_ptr<AudioSource> ConcatenateSources(std::vector<std::unique_ptr<AudioSource>> parts,
                                                std::string& error);

}  // namespace kalvo5::meter
