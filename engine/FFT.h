// The speech detector's complex FFT, in single precision.
#pragma once

namespace kalvo5 {

// In-place forward DFT without scaling, X[k] = sum x[m] e^(-2 pi i k m / n),
// on separate real and imaginary arrays of n values, result in natural order.
// n must be 128, 256, 512 or 1024: returns 0. Any other n (or a null array)
// returns -1 and leaves the arrays untouched.
//
// Radix 2, decimation in frequency, reordered by bit reversal at the end. The
// twiddle factors of a stage of span b come from repeatedly rotating 1 by the
// single-precision cosine and sine of 2 pi / b, so results match those of the
// same recipe bit for bit, on every instruction-set path. Allocation-free;
// the twiddles and the bit reversal swaps are worked out once per process,
// by PrepareFFT or else by the first transform.
int ComputeFFT(float* re, float* im, int n);

// Works out those tables, so that no transform has to: call it where the
// transforms are set up, off the audio thread.
void PrepareFFT();

}  // namespace kalvo5
