// Test signals with known answers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kalvo5::test {

// amplitude * sin(2 pi f n / fs + phase), n = 0 ... count-1.
std::vector<double> Sine(double frequency, double sampleRate, double amplitude, std::size_t count,
                         double phase = 0.0);

// Uniform white noise in [-amplitude, amplitude), reproducible from the seed.
std::vector<double> Noise(std::uint32_t seed, double amplitude, std::size_t count);

// Amplitude and phase of the steady sinusoid at `frequency` that best fits
// y (least squares over sin, cos and a constant); exact for a pure sinusoid
// whatever the number of periods.
double FittedAmplitude(const std::vector<double>& y, double frequency, double sampleRate);

// 10 log10 of the mean square of a range.
double MeanSquareDb(const double* y, std::size_t count);

// Interleaves equally long channels into frames.
std::vector<double> Interleave(const std::vector<std::vector<double>>& channels);

}  // namespace kalvo5::test
