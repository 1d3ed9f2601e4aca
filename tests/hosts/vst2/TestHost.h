#pragma once
// A small VST 2.4 host for tests: a host object that answers and records the
// plug-in's callbacks, a wrapper around one plug-in instance that drives it
// only through the published entry structure, and a renderer that plays a
// list of timed MIDI messages through any of the three process functions.
#include "adapters/vst2/VstInterface.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace vst2host {

class Module;

// The module under test, loaded once by main().
void SetModuleUnderTest(std::unique_ptr<Module> module, const std::string& path);
Module& ModuleUnderTest();
void UnloadModuleUnderTest();
const std::string& ModuleUnderTestPath();
// The exported entry of that name, or null.
vst2::ModuleEntryProc ModuleEntry(const char* name);

// One host-callback call as the plug-in made it.
struct HostCall {
  std::int32_t opcode;
  std::int32_t index;
  std::intptr_t value;
  float opt;
};

// One event of an event list the plug-in sent back (MIDI thru).
struct SentEvent {
  std::int32_t listCount;   // count field of the list it came in
  bool listTerminated;      // the pointer after the last event was null
  std::int32_t type;
  std::int32_t byteSize;
  std::int32_t deltaFrames;
  unsigned char bytes[4];   // MIDI data, or the first bytes of a dump
  std::int32_t dumpBytes;   // system exclusive only
};

class Host {
public:
  Host();
  ~Host();
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  void SetProductString(const std::string& text);
  void SetVendorVersion(std::intptr_t version);
  // Time record handed out for hostop::kGetTime.
  vst2::TimeInfo& Time() { return mTime; }

  std::vector<HostCall> Calls() const;
  std::size_t CountCalls(std::int32_t opcode) const;
  // Begin edit, automation and end edit calls for one parameter, in order.
  std::vector<HostCall> EditCalls(std::int32_t param) const;
  std::vector<SentEvent> SentEvents() const;
  void ClearRecords();

  // The callback handed to every instance this host creates.
  static std::intptr_t VORBLEX_VST_CALL Callback(vst2::Entry* entry, std::int32_t opcode, std::int32_t index,
                                                 std::intptr_t value, void* ptr, float opt);
  // Calls that could not be matched to any host (a plug-in calling with an
  // entry it never returned, outside its creation).
  static int StrayCalls();

private:
  friend class Plugin;
  std::intptr_t Answer(vst2::Entry* entry, std::int32_t opcode, std::int32_t index, std::intptr_t value, void* ptr,
                       float opt);
  void Adopt(vst2::Entry* entry);
  void Release(vst2::Entry* entry);

  mutable std::mutex mMutex;
  std::vector<HostCall> mCalls;
  std::vector<SentEvent> mSent;
  std::string mProduct = "Vst2 Test Host";
  std::intptr_t mVendorVersion = 10203;
  vst2::TimeInfo mTime{};
};

// A MIDI message at a frame of a render, or with a delta inside one list.
struct Midi {
  std::int64_t frame;
  unsigned char status;
  unsigned char data1;
  unsigned char data2;
};

enum class ProcessKind { kReplacing, kAccumulating, kDouble };

class Plugin {
public:
  // Calls the named module entry with the host's callback; null when the
  // entry is missing or returns null.
  static std::unique_ptr<Plugin> Create(Host& host, const char* entryName = "VSTPluginMain");
  ~Plugin();
  Plugin(const Plugin&) = delete;
  Plugin& operator=(const Plugin&) = delete;

  vst2::Entry* Entry() const { return mEntry; }
  Host& GetHost() const { return mHost; }

  std::intptr_t Dispatch(std::int32_t opcode, std::int32_t index = 0, std::intptr_t value = 0, void* ptr = nullptr,
                         float opt = 0.0f);
  // Opcode 1; the instance is gone afterwards.
  void Close();

  // open, sample rate, block size, mains on.
  void Start(float sampleRate = 44100.0f, int blockSize = 1024);

  float Get(int index);
  // Every parameter's value, in order.
  std::vector<float> Values();
  void Set(int index, float normalized);
  std::string Name(int index);
  std::string Label(int index);
  std::string Display(int index);
  std::intptr_t StringToParameter(int index, const char* text);
  std::string ProgramName();

  // Opcode 23: a copy of the chunk the module hands out (empty for none).
  std::vector<unsigned char> GetChunk(bool bank, std::intptr_t* result = nullptr);
  std::intptr_t SetChunk(bool bank, const void* data, std::intptr_t size);
  std::intptr_t SetChunk(bool bank, const std::vector<unsigned char>& bytes);

  // Opcode 25 with one list of MIDI events (frame = delta frames).
  std::intptr_t SendMidi(const std::vector<Midi>& events);
  // Opcode 25 with a list of arbitrary event pointers and the given count.
  std::intptr_t SendEventPointers(const std::vector<void*>& pointers, std::int32_t count);

  // One process call; floatOut or doubleOut is used as the kind requires.
  void Process(ProcessKind kind, float** floatOut, double** doubleOut, int frames);

private:
  Plugin(Host& host, vst2::Entry* entry) : mHost(host), mEntry(entry) {}
  Host& mHost;
  vst2::Entry* mEntry;
};

// Rendering a timed MIDI list through a plug-in block by block.
struct RenderSetup {
  ProcessKind kind = ProcessKind::kDouble;
  int outputs = 2;                        // output channels the render records
  std::vector<int> blockPattern{256};     // block sizes, repeated
  float accumulateBase = 0.0f;            // what accumulating outputs hold before each block
};

struct Rendered {
  std::vector<double> left;
  std::vector<double> right;  // empty when only one output was recorded
  // With one output recorded: the second array handed over kept its contents.
  bool secondOutputUntouched = true;
};

Rendered Render(Plugin& plugin, const std::vector<Midi>& events, std::int64_t frames,
                const RenderSetup& setup = RenderSetup());

// First frame whose magnitude is not 0, or -1.
std::int64_t FirstNonZero(const std::vector<double>& samples, std::int64_t from = 0);
bool AllFinite(const std::vector<double>& samples);
double PeakAbs(const std::vector<double>& samples, std::size_t from = 0, std::size_t to = SIZE_MAX);

// Little-endian readers and writers for chunk bytes.
std::uint32_t ReadU32(const std::vector<unsigned char>& bytes, std::size_t at);
double ReadDouble(const std::vector<unsigned char>& bytes, std::size_t at);
void WriteU32(std::vector<unsigned char>& bytes, std::size_t at, std::uint32_t v);
void WriteDouble(std::vector<unsigned char>& bytes, std::size_t at, double v);
// A plug-in state (version and 60 values), optionally behind the chunk header.
std::vector<unsigned char> MakeState(const std::vector<double>& values, bool withHeader);

}  // namespace vst2host
