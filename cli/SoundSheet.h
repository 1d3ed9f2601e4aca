#pragma once
// Pictures of sounds to choose from: one row per sound with its name and
// details, its waveform and its spectrogram, written as a PNG a row at a time.
#include <cstddef>
#include <memory>
#include <string>

#include "cli/PngFile.h"
#include "editor/raster/LICE_Bitmap.h"

struct SheetSound {
  std::string name;
  std::string detail;  // a second line, e.g. the seed; may be empty
  const float* samples = nullptr;
  size_t count = 0;
  double rate = 44100.0;
};

// A row is 1000 x 120 pixels: text on the left, then the waveform (minimum
// and maximum of each pixel column) and the spectrogram (Hann-windowed FFT,
// level in dBFS from -100 to 0 on a colour ramp whose brightness grows with
// the level, frequency on a logarithmic axis from 40 Hz up to half the rate).
constexpr int kSheetWidth = 1000;
constexpr int kSheetRowHeight = 120;
constexpr int kPanelTop = 4;
constexpr int kPanelHeight = 112;
constexpr int kWaveLeft = 200;
constexpr int kWaveWidth = 396;
constexpr int kSpectrumLeft = 600;
constexpr int kSpectrumWidth = 396;
constexpr double kSpectrumLowestHz = 40.0;

// The frequency at the middle of a spectrogram pixel row (0 at the top).
double SpectrumRowHz(int row, double rate);

// Draws a sound's row into the top 120 rows of a bitmap 1000 pixels wide.
void DrawSheetRow(LICE_IBitmap* bitmap, const SheetSound& sound);

// A sheet of a given number of rows, written to a temporary file as the rows
// come and given its name when the last one is in. Throws CliError.
class SoundSheet {
public:
  SoundSheet(const std::string& path, int rows);
  void Add(const SheetSound& sound);
  void Finish();
  // The temporary file, for removal when a signal ends the program.
  const std::string& PartPath() const { return mPart; }

private:
  std::string mPath, mPart;
  PngFile mPng;
  std::unique_ptr<LICE_MemBitmap> mRow;
};
