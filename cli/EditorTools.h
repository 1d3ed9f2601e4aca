#pragma once
// The editor on the command line: its sound design tools and its picture, on
// the plug-in's own window-less editor.
#include <string>

class Vorblex;

// Categories of `vorblex generate`: the seven generators, then the random one.
extern const char* const kGenerateCategories[8];

// Runs the generator of a category (Vorblex::GeneratePickup() ...,
// GenerateRandom() for "random"), or Mutate(); each appends its sound to the
// history as the editor's buttons do. Throws CliError for an unknown category
// or a plug-in without the window-less editor.
void RunGenerator(Vorblex& plug, const std::string& category);
void RunMutate(Vorblex& plug);

// Draws the whole editor with the graphics core's draw pass and writes the
// draw bitmap as a PNG (all or nothing).
void WriteSnapshot(Vorblex& plug, const std::string& path);
