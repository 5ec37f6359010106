// The analyzer channel configurations of a plug-in with Kalvo5's
// channel-configuration parameters, and the channels each measures.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace kalvo5::meter {

// Parameter name and display text for each configuration parameter that has
// a setting for `channels`: "EBU Channel Config" and "Dial Channel Config"
// take "1.0", "2.0", "4.0", "4.1" or "5.1" for 1, 2, 4, 5 or 6 channels;
// "RMS Channel Config" takes "Left", "Stereo", "4 Ch." or "6 Ch." for 1, 2, 4
// or 6. A channel count without a matching layout gives no entry for that
// parameter.
std::vector<std::pair<std::string, std::string>> ChannelConfigurationsFor(int channels);

// Whether `name` is one of the configuration parameters.
bool IsChannelConfiguration(const std::string& name);

// A warning when configuration parameter `name` set to `text` measures
// another number of channels than a file of `channels` channels has; empty
// when it measures them all, or when `name` is no configuration parameter.
std::string LayoutMismatch(const std::string& name, const std::string& text, int channels);

}  // namespace kalvo5::meter
