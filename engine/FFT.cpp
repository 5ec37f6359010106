#include "FFT.h"

#include <cmath>
#include <numbers>
#include <utility>

namespace kalvo5 {

namespace {

void ReverseBitOrder(float* re, float* im, int n) {
  for (int i = 1, j = 0; i < n; ++i) {
    int bit = n >> 1;
    for (; (j & bit) != 0; bit >>= 1) j ^= bit;
    j |= bit;
    if (i < j) {
      std::swap(re[i], re[j]);
      std::swap(im[i], im[j]);
    }
  }
}

}  // namespace

int ComputeFFT(float* re, float* im, int n) {
  if (re == nullptr || im == nullptr || (n != 128 && n != 256 && n != 512 && n != 1024)) return -1;

  float twiddleR[512];
  float twiddleI[512];
  for (int span = n; span >= 2; span >>= 1) {
    const int half = span / 2;
    const float angle = 2.0f * std::numbers::pi_v<float> / static_cast<float>(span);
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    // w = e^(-2 pi i j / span), advanced by one rotation per j.
    float wr = 1.0f;
    float wi = 0.0f;
    for (int j = 0; j < half; ++j) {
      twiddleR[j] = wr;
      twiddleI[j] = wi;
      const float nextR = wr * c + wi * s;
      wi = wi * c - wr * s;
      wr = nextR;
    }
    // The butterflies of a stage are independent: each group's run over j
    // is contiguous, with the twiddles from the table.
    for (int group = 0; group < n; group += span) {
      float* topR = re + group;
      float* topI = im + group;
      float* bottomR = re + group + half;
      float* bottomI = im + group + half;
      for (int j = 0; j < half; ++j) {
        const float dr = topR[j] - bottomR[j];
        const float di = topI[j] - bottomI[j];
        topR[j] += bottomR[j];
        topI[j] += bottomI[j];
        bottomR[j] = dr * twiddleR[j] - di * twiddleI[j];
        bottomI[j] = dr * twiddleI[j] + di * twiddleR[j];
      }
    }
  }
  ReverseBitOrder(re, im, n);
  return 0;
}

}  // namespace kalvo5
