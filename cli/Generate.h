#pragma once
// `vorblex generate`: a batch of sounds from a generator button or Mutate,
// each with its own seed, written as audio, state and summary together.
#include <cstdint>
#include <string>
#include <vector>

#include "cli/CliCommon.h"
#include "cli/OneShot.h"
#include "framework/IStateChunk.h"

// A category name or one of the editor buttons' labels (coin, hurt, select),
// as the generator's category; throws CliError for anything else.
std::string CanonicalCategory(const std::string& name);

struct GenerateOptions {
  std::string category;  // canonical; empty with mutate
  bool mutate = false;
  int count = 1;
  uint32_t firstSeed = 0;  // sound n (from 0) uses firstSeed + n, modulo 2^32
  std::string dir = ".";
  std::string format = "wav";
  std::vector<int> locks;               // parameters kept at the base state's values
  std::vector<std::string> settings;    // --set, applied again after the tool
  bool json = false;
  bool progress = false;                // a bar on standard error
  std::string sheet;                    // a PNG with a row per sound, when not empty
};

// The file stem of a sound: <category>-s<seed>-<number, three digits or more>.
std::string SoundStem(const std::string& prefix, uint32_t seed, int number);
// The number after the highest <prefix>-s<seed>-<number>.* in the folder.
int NextSoundNumber(const std::string& dir, const std::string& prefix);

// Generates, renders and writes the batch from the base state; prints one line
// (or one JSON document for the batch) to standard output.
void GenerateBatch(const IStateChunk& base, const GenerateOptions& gen, const RenderOptions& render,
                   const OneShotOptions& one);

// One sound's parameters: the base restored as a host restores it, the tool
// run with the seed's random state, locked parameters set back, --set applied.
void MakeSoundState(const IStateChunk& base, const GenerateOptions& gen, uint32_t seed, IStateChunk* out);
