#pragma once
// A radix-2 fast Fourier transform for the pictures of sounds.
#include <complex>
#include <vector>

// Transforms x in place (forward, no scaling); its size must be a power of two.
void Fft(std::vector<std::complex<double>>& x);
