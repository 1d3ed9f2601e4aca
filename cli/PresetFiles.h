#pragma once
// Preset files that hosts open: the VST3 preset (.vstpreset) and the VST2
// program file (.fxp) of a sound, laid out byte for byte as hosts write them,
// and read back into a plug-in state. Files come from anywhere, so reading
// checks every size and offset before it trusts one.
#include <cstdint>
#include <string>
#include <vector>

#include "framework/IStateChunk.h"

class Vorblex;

using FileBytes = std::vector<uint8_t>;

enum class StateFileKind { kState, kVst3Preset, kVst2Program };
// By extension: .vstpreset, .fxp (any case), anything else a plain state.
StateFileKind StateFileKindFor(const std::string& path);

// The module's VST3 class id as the 32 hex digits of a preset header, in the
// form Windows hosts write and compare: the first eight bytes read as one
// 32-bit and two 16-bit little-endian numbers, then the last eight in order.
std::string Vst3ClassIdText();

// A VST3 preset of the plug-in's current state: header ('VST3', version 1,
// class id, offset of the chunk list), the component state ('Comp') and the
// controller state ('Cont'), which for this one-object effect are the same 488
// bytes, then the chunk list.
FileBytes MakeVst3Preset(Vorblex& plug);
// A VST2 program file in the parameter-list form ('CcnK', 'FxCk'), the form
// hosts load for a plug-in that does not announce program chunks: the
// plug-in's id, version and parameter count, the program name (cut to 27
// characters) and each parameter's normalised value as a 32-bit float.
FileBytes MakeVst2Program(Vorblex& plug, const std::string& programName);

// The plug-in state (version word and 60 values) inside a preset file's bytes;
// throws CliError naming the file when anything does not fit. Program files
// in the opaque-chunk form ('FPCh', holding the chunk the VST2 module hands
// out) are read too.
IStateChunk StateFromVst3Preset(const Vorblex& plug, const FileBytes& file, const std::string& path);
IStateChunk StateFromVst2Program(const Vorblex& plug, const FileBytes& file, const std::string& path);

// Largest preset file read; a state is 484 bytes, a host's preset with its
// metadata a few kilobytes.
constexpr long kMaxPresetFileSize = 1 << 20;
