#pragma once
// Our own declarations of the VST 2.4 plug-in interface: the entry structure a
// module hands to its host, the dispatcher and host-callback opcodes, and the
// fixed-layout records both sides exchange (events, time information, pin
// properties, speaker arrangements). Only what this plug-in and its test host
// use is declared; fields neither side reads are kept as reserved space so the
// layouts stay byte-exact.
//
// Every record is declared with natural alignment and pointer-sized fields
// where the interface has them, so one set of declarations gives the 32-bit
// layout and the 64-bit layout; the static_asserts at the end pin both.
#include <cstddef>
#include <cstdint>

// The interface's functions use the C calling convention. On 32-bit Windows
// that has to be spelled out, because hosts built with other compilers or
// other default conventions call straight through these pointers.
#if defined(_WIN32)
#define VORBLEX_VST_CALL __cdecl
#else
#define VORBLEX_VST_CALL
#endif

namespace vst2 {

struct Entry;

// Host callback: the single function through which a plug-in calls its host.
using HostCallback = std::intptr_t(VORBLEX_VST_CALL*)(Entry* entry, std::int32_t opcode, std::int32_t index,
                                                      std::intptr_t value, void* ptr, float opt);
using DispatcherProc = std::intptr_t(VORBLEX_VST_CALL*)(Entry* entry, std::int32_t opcode, std::int32_t index,
                                                        std::intptr_t value, void* ptr, float opt);
using ProcessProc = void(VORBLEX_VST_CALL*)(Entry* entry, float** inputs, float** outputs, std::int32_t frames);
using ProcessDoubleProc = void(VORBLEX_VST_CALL*)(Entry* entry, double** inputs, double** outputs,
                                                  std::int32_t frames);
using SetParameterProc = void(VORBLEX_VST_CALL*)(Entry* entry, std::int32_t index, float value);
using GetParameterProc = float(VORBLEX_VST_CALL*)(Entry* entry, std::int32_t index);
// The exported module entry (`VSTPluginMain`, also exported as `main`).
using ModuleEntryProc = Entry*(VORBLEX_VST_CALL*)(HostCallback host);

// Four-character codes are 32-bit integers whose big-endian bytes are the
// characters.
constexpr std::int32_t FourCharCode(char a, char b, char c, char d)
{
  return static_cast<std::int32_t>((static_cast<std::uint32_t>(static_cast<unsigned char>(a)) << 24) |
                                   (static_cast<std::uint32_t>(static_cast<unsigned char>(b)) << 16) |
                                   (static_cast<std::uint32_t>(static_cast<unsigned char>(c)) << 8) |
                                   static_cast<std::uint32_t>(static_cast<unsigned char>(d)));
}

constexpr std::int32_t kEntryMagic = FourCharCode('V', 's', 't', 'P');  // 0x56737450
constexpr std::int32_t kIdentifyAnswer = FourCharCode('N', 'v', 'E', 'f');  // 0x4E764566
constexpr std::intptr_t kVstVersion = 2400;
// Hosts hand program-name requests a buffer of this many bytes.
constexpr int kProgramNameBufferSize = 24;

// Entry structure flags.
enum EntryFlags : std::int32_t {
  kFlagHasEditor = 0x1,
  kFlagMonoCapable = 0x8,
  kFlagCanReplacing = 0x10,
  kFlagProgramChunks = 0x20,
  kFlagIsSynth = 0x100,
  kFlagCanDoubleReplacing = 0x1000,
};

// The structure a module's entry returns; the host reaches everything else
// through it. 144 bytes on 32-bit targets, 192 on 64-bit ones.
struct Entry {
  std::int32_t magic;
  DispatcherProc dispatcher;
  ProcessProc processAccumulating;
  SetParameterProc setParameter;
  GetParameterProc getParameter;
  std::int32_t programCount;
  std::int32_t parameterCount;
  std::int32_t inputCount;
  std::int32_t outputCount;
  std::int32_t flags;
  std::intptr_t reserved1;
  std::intptr_t reserved2;
  std::int32_t initialDelay;
  std::int32_t deprecatedRealQualities;
  std::int32_t deprecatedOffQualities;
  float ioRatio;
  void* object;  // the plug-in behind this structure
  void* user;    // free for the host
  std::int32_t uniqueId;
  std::int32_t version;
  ProcessProc processReplacing;
  ProcessDoubleProc processDoubleReplacing;
  char future[56];
};

// Dispatcher opcodes (host to plug-in).
namespace op {
enum : std::int32_t {
  kOpen = 0,
  kClose = 1,
  kSetProgram = 2,
  kGetProgram = 3,
  kSetProgramName = 4,
  kGetProgramName = 5,
  kGetParamLabel = 6,
  kGetParamDisplay = 7,
  kGetParamName = 8,
  kSetSampleRate = 10,
  kSetBlockSize = 11,
  kMainsChanged = 12,
  kEditGetRect = 13,
  kEditOpen = 14,
  kEditClose = 15,
  kEditIdle = 19,
  kIdentify = 22,
  kGetChunk = 23,
  kSetChunk = 24,
  kProcessEvents = 25,
  kCanBeAutomated = 26,
  kString2Parameter = 27,
  kGetProgramNameIndexed = 29,
  kGetInputProperties = 33,
  kGetOutputProperties = 34,
  kGetPlugCategory = 35,
  kProcessVarIo = 41,
  kSetSpeakerArrangement = 42,
  kGetEffectName = 45,
  kGetVendorString = 47,
  kGetProductString = 48,
  kGetVendorVersion = 49,
  kVendorSpecific = 50,
  kCanDo = 51,
  kGetTailSize = 52,
  kIdle = 53,
  kGetVstVersion = 58,
  kGetMidiKeyName = 66,
  kGetSpeakerArrangement = 69,
};
}  // namespace op

// Host-callback opcodes (plug-in to host).
namespace hostop {
enum : std::int32_t {
  kAutomate = 0,
  kWantMidi = 6,
  kGetTime = 7,
  kProcessEvents = 8,
  kGetCurrentProcessLevel = 23,
  kGetProductString = 33,
  kGetVendorVersion = 34,
  kUpdateDisplay = 42,
  kBeginEdit = 43,
  kEndEdit = 44,
};
}  // namespace hostop

// Answers of the plug-in category request.
enum PlugCategory : std::int32_t {
  kCategoryEffect = 1,
  kCategorySynth = 2,
};

// Process level reported by the host; this one means an offline render.
constexpr std::intptr_t kProcessLevelOffline = 4;

// Answers of the vendor-specific and can-do requests for the vendor extensions.
constexpr std::intptr_t kVendorSpecificAnswer = 0xBEEF;
constexpr std::intptr_t kCanDoVendorAnswer = static_cast<std::intptr_t>(0xBEEF0000u);

// Can-do texts the plug-in answers.
constexpr const char* kCanDoReceiveTimeInfo = "receiveVstTimeInfo";
constexpr const char* kCanDoSendEvents = "sendVstEvents";
constexpr const char* kCanDoSendMidiEvent = "sendVstMidiEvent";
constexpr const char* kCanDoReceiveEvents = "receiveVstEvents";
constexpr const char* kCanDoReceiveMidiEvent = "receiveVstMidiEvent";
constexpr const char* kCanDoVendorExtensions = "hasCockosExtensions";
constexpr const char* kCanDoVendorViewAsConfig = "hasCockosViewAsConfig";

// Events.
enum EventType : std::int32_t {
  kEventMidi = 1,
  kEventSysEx = 6,
};

// Common head of every event; 32 bytes on both targets.
struct Event {
  std::int32_t type;
  std::int32_t byteSize;
  std::int32_t deltaFrames;
  std::int32_t flags;
  char data[16];
};

// A short MIDI message; 32 bytes on both targets.
struct MidiEvent {
  std::int32_t type;  // kEventMidi
  std::int32_t byteSize;
  std::int32_t deltaFrames;
  std::int32_t flags;
  std::int32_t noteLength;
  std::int32_t noteOffset;
  unsigned char midiData[4];  // status, data 1, data 2, 0
  char reserved[4];
};

// A system-exclusive message; 32 bytes on 32-bit targets, 48 on 64-bit ones.
struct SysExEvent {
  std::int32_t type;  // kEventSysEx
  std::int32_t byteSize;
  std::int32_t deltaFrames;
  std::int32_t flags;
  std::int32_t dumpBytes;
  std::intptr_t reserved1;
  char* sysexDump;
  std::intptr_t reserved2;
};

// Event list as exchanged: a count, a reserved field, then `count` event
// pointers. The array is variable in length; two entries is the shortest form
// (the plug-in sends one event followed by a null pointer). Read entries
// through EventAt, which does not rely on the declared array length.
struct EventList {
  std::int32_t count;
  std::intptr_t reserved;
  Event* events[2];
};

inline Event* EventAt(const EventList* list, std::int32_t i)
{
  const char* base = reinterpret_cast<const char*>(list) + offsetof(EventList, events);
  return reinterpret_cast<Event* const*>(base)[i];
}

// Time information the host returns for hostop::kGetTime. Fields the plug-in
// never reads are reserved here.
struct TimeInfo {
  double samplePosition;
  double reserved8;
  double reserved16;
  double quarterNotePosition;
  double tempo;
  double barStartPosition;
  double cycleStartPosition;
  double cycleEndPosition;
  std::int32_t timeSignatureNumerator;
  std::int32_t timeSignatureDenominator;
  std::int32_t reserved72[3];
  std::int32_t flags;
};

enum TimeInfoFlags : std::int32_t {
  kTransportPlaying = 0x2,
  kTransportCycleActive = 0x4,
  kQuarterNotePositionValid = 0x200,
  kTempoValid = 0x400,
  kBarStartValid = 0x800,
  kCyclePositionValid = 0x1000,
  kTimeSignatureValid = 0x2000,
  kTransportInfoRequest = 0x3E00,  // everything GetTransportInfo asks for
};

// Properties of one input or output pin.
struct PinProperties {
  char label[64];
  std::int32_t flags;
  char reserved[60];
};

enum PinFlags : std::int32_t {
  kPinIsActive = 0x1,
  kPinIsStereo = 0x2,
};

// One speaker of an arrangement; its contents are not used here.
struct alignas(4) SpeakerProperties {
  unsigned char opaque[112];
};

enum SpeakerArrangementType : std::int32_t {
  kSpeakerArrangementUserDefined = -2,
  kSpeakerArrangementEmpty = -1,
  kSpeakerArrangementMono = 0,
  kSpeakerArrangementStereo = 1,
};

struct SpeakerArrangement {
  std::int32_t type;
  std::int32_t channelCount;
  SpeakerProperties speakers[8];
};

// Editor rectangle handed to the host by op::kEditGetRect.
struct EditRect {
  std::int16_t top;
  std::int16_t left;
  std::int16_t bottom;
  std::int16_t right;
};

// Record of op::kGetMidiKeyName.
struct MidiKeyName {
  std::int32_t programIndex;
  std::int32_t keyNumber;
  char keyName[64];
  std::int32_t reserved;
  std::int32_t flags;
};

// ---- layout checks -------------------------------------------------------

constexpr bool kIs64Bit = sizeof(void*) == 8;
static_assert(sizeof(void*) == 4 || sizeof(void*) == 8, "32-bit or 64-bit targets only");
static_assert(sizeof(std::intptr_t) == sizeof(void*), "pointer-sized integers");
static_assert(sizeof(float) == 4 && sizeof(double) == 8, "IEEE 754 float and double");

// Pointer size p and the alignment it brings: on 32-bit targets the entry
// structure is packed end to end; on 64-bit targets every pointer field moves
// to the next multiple of 8.
static_assert(offsetof(Entry, magic) == 0, "entry layout");
static_assert(offsetof(Entry, dispatcher) == (kIs64Bit ? 8 : 4), "entry layout");
static_assert(offsetof(Entry, processAccumulating) == (kIs64Bit ? 16 : 8), "entry layout");
static_assert(offsetof(Entry, setParameter) == (kIs64Bit ? 24 : 12), "entry layout");
static_assert(offsetof(Entry, getParameter) == (kIs64Bit ? 32 : 16), "entry layout");
static_assert(offsetof(Entry, programCount) == (kIs64Bit ? 40 : 20), "entry layout");
static_assert(offsetof(Entry, parameterCount) == (kIs64Bit ? 44 : 24), "entry layout");
static_assert(offsetof(Entry, inputCount) == (kIs64Bit ? 48 : 28), "entry layout");
static_assert(offsetof(Entry, outputCount) == (kIs64Bit ? 52 : 32), "entry layout");
static_assert(offsetof(Entry, flags) == (kIs64Bit ? 56 : 36), "entry layout");
static_assert(offsetof(Entry, reserved1) == (kIs64Bit ? 64 : 40), "entry layout");
static_assert(offsetof(Entry, reserved2) == (kIs64Bit ? 72 : 44), "entry layout");
static_assert(offsetof(Entry, initialDelay) == (kIs64Bit ? 80 : 48), "entry layout");
static_assert(offsetof(Entry, deprecatedRealQualities) == (kIs64Bit ? 84 : 52), "entry layout");
static_assert(offsetof(Entry, deprecatedOffQualities) == (kIs64Bit ? 88 : 56), "entry layout");
static_assert(offsetof(Entry, ioRatio) == (kIs64Bit ? 92 : 60), "entry layout");
static_assert(offsetof(Entry, object) == (kIs64Bit ? 96 : 64), "entry layout");
static_assert(offsetof(Entry, user) == (kIs64Bit ? 104 : 68), "entry layout");
static_assert(offsetof(Entry, uniqueId) == (kIs64Bit ? 112 : 72), "entry layout");
static_assert(offsetof(Entry, version) == (kIs64Bit ? 116 : 76), "entry layout");
static_assert(offsetof(Entry, processReplacing) == (kIs64Bit ? 120 : 80), "entry layout");
static_assert(offsetof(Entry, processDoubleReplacing) == (kIs64Bit ? 128 : 84), "entry layout");
static_assert(offsetof(Entry, future) == (kIs64Bit ? 136 : 88), "entry layout");
static_assert(sizeof(Entry) == (kIs64Bit ? 192 : 144), "entry size");

static_assert(sizeof(Event) == 32, "event size");
static_assert(offsetof(Event, deltaFrames) == 8, "event layout");

static_assert(sizeof(MidiEvent) == 32, "MIDI event size");
static_assert(offsetof(MidiEvent, deltaFrames) == 8, "MIDI event layout");
static_assert(offsetof(MidiEvent, midiData) == 24, "MIDI event layout");

static_assert(offsetof(SysExEvent, deltaFrames) == 8, "sysex event layout");
static_assert(offsetof(SysExEvent, dumpBytes) == 16, "sysex event layout");
static_assert(offsetof(SysExEvent, sysexDump) == (kIs64Bit ? 32 : 24), "sysex event layout");
static_assert(sizeof(SysExEvent) == (kIs64Bit ? 48 : 32), "sysex event size");

static_assert(offsetof(EventList, count) == 0, "event list layout");
static_assert(offsetof(EventList, reserved) == (kIs64Bit ? 8 : 4), "event list layout");
static_assert(offsetof(EventList, events) == (kIs64Bit ? 16 : 8), "event list layout");

static_assert(offsetof(TimeInfo, samplePosition) == 0, "time info layout");
static_assert(offsetof(TimeInfo, quarterNotePosition) == 24, "time info layout");
static_assert(offsetof(TimeInfo, tempo) == 32, "time info layout");
static_assert(offsetof(TimeInfo, barStartPosition) == 40, "time info layout");
static_assert(offsetof(TimeInfo, cycleStartPosition) == 48, "time info layout");
static_assert(offsetof(TimeInfo, cycleEndPosition) == 56, "time info layout");
static_assert(offsetof(TimeInfo, timeSignatureNumerator) == 64, "time info layout");
static_assert(offsetof(TimeInfo, timeSignatureDenominator) == 68, "time info layout");
static_assert(offsetof(TimeInfo, flags) == 84, "time info layout");
static_assert(sizeof(TimeInfo) == 88, "time info size");

static_assert(offsetof(PinProperties, label) == 0, "pin properties layout");
static_assert(offsetof(PinProperties, flags) == 64, "pin properties layout");
static_assert(sizeof(PinProperties) == 128, "pin properties size");

static_assert(sizeof(SpeakerProperties) == 112, "speaker properties size");
static_assert(offsetof(SpeakerArrangement, channelCount) == 4, "speaker arrangement layout");
static_assert(offsetof(SpeakerArrangement, speakers) == 8, "speaker arrangement layout");
static_assert(sizeof(SpeakerArrangement) == 904, "speaker arrangement size");

static_assert(sizeof(EditRect) == 8 && offsetof(EditRect, right) == 6, "edit rectangle layout");

static_assert(offsetof(MidiKeyName, keyNumber) == 4, "MIDI key name layout");
static_assert(offsetof(MidiKeyName, keyName) == 8, "MIDI key name layout");

}  // namespace vst2
