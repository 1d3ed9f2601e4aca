#pragma once
// The editor on the command line: pressing its buttons and drawing it.
#include <string>

class Vorblex;

// Categories of `vorblex generate`, in the order of the editor's buttons.
extern const char* const kGenerateCategories[8];

// Presses the generator button of a category (or Mutate) with the mouse, on
// the plug-in's own headless editor. Throws CliError for an unknown category.
void PressGenerator(Vorblex& plug, const std::string& category);
void PressMutate(Vorblex& plug);

// Draws the whole editor with the graphics core's draw pass and writes the
// draw bitmap as a PNG (all or nothing).
void WriteSnapshot(Vorblex& plug, const std::string& path);
