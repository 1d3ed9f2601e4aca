#include "tests/hosts/vst2/TestHost.h"

#include "tests/hosts/vst2/AllocationCounter.h"
#include "tests/hosts/vst2/Expected.h"
#include "tests/hosts/vst2/Module.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <utility>

namespace vst2host {
namespace {

std::unique_ptr<Module> gModule;
std::string gModulePath;

// Which host answers which instance. An instance may call back while its
// entry is still being created; those calls go to the host that is creating
// on this thread.
std::mutex gRegistryMutex;
std::vector<std::pair<vst2::Entry*, Host*>> gRegistry;
thread_local Host* tCreatingHost = nullptr;
std::atomic<int> gStrayCalls{0};

Host* FindHost(vst2::Entry* entry)
{
  std::lock_guard<std::mutex> lock(gRegistryMutex);
  for (auto& [e, h] : gRegistry)
    if (e == entry)
      return h;
  return nullptr;
}

}  // namespace

void SetModuleUnderTest(std::unique_ptr<Module> module, const std::string& path)
{
  gModule = std::move(module);
  gModulePath = path;
}

Module& ModuleUnderTest()
{
  return *gModule;
}

void UnloadModuleUnderTest()
{
  gModule.reset();
}

const std::string& ModuleUnderTestPath()
{
  return gModulePath;
}

vst2::ModuleEntryProc ModuleEntry(const char* name)
{
  return gModule ? reinterpret_cast<vst2::ModuleEntryProc>(gModule->Symbol(name)) : nullptr;
}

// ---- Host ------------------------------------------------------------------

Host::Host()
{
  mTime.samplePosition = 0;
  mTime.tempo = 120;
  mTime.timeSignatureNumerator = 4;
  mTime.timeSignatureDenominator = 4;
  mTime.flags = vst2::kTempoValid | vst2::kTimeSignatureValid;
}

Host::~Host()
{
  std::lock_guard<std::mutex> lock(gRegistryMutex);
  gRegistry.erase(std::remove_if(gRegistry.begin(), gRegistry.end(), [this](auto& p) { return p.second == this; }),
                  gRegistry.end());
}

void Host::SetProductString(const std::string& text)
{
  std::lock_guard<std::mutex> lock(mMutex);
  mProduct = text;
}

void Host::SetVendorVersion(std::intptr_t version)
{
  std::lock_guard<std::mutex> lock(mMutex);
  mVendorVersion = version;
}

std::vector<HostCall> Host::Calls() const
{
  std::lock_guard<std::mutex> lock(mMutex);
  return mCalls;
}

std::size_t Host::CountCalls(std::int32_t opcode) const
{
  std::lock_guard<std::mutex> lock(mMutex);
  return static_cast<std::size_t>(
      std::count_if(mCalls.begin(), mCalls.end(), [opcode](const HostCall& c) { return c.opcode == opcode; }));
}

std::vector<HostCall> Host::EditCalls(std::int32_t param) const
{
  std::vector<HostCall> out;
  for (const HostCall& c : Calls())
    if (c.index == param && (c.opcode == vst2::hostop::kAutomate || c.opcode == vst2::hostop::kBeginEdit ||
                             c.opcode == vst2::hostop::kEndEdit))
      out.push_back(c);
  return out;
}

std::vector<SentEvent> Host::SentEvents() const
{
  std::lock_guard<std::mutex> lock(mMutex);
  return mSent;
}

void Host::ClearRecords()
{
  std::lock_guard<std::mutex> lock(mMutex);
  mCalls.clear();
  mSent.clear();
}

std::intptr_t VORBLEX_VST_CALL Host::Callback(vst2::Entry* entry, std::int32_t opcode, std::int32_t index,
                                               std::intptr_t value, void* ptr, float opt)
{
  AllocationPause pause;
  Host* host = entry ? FindHost(entry) : nullptr;
  if (!host)
    host = tCreatingHost;
  if (!host) {
    ++gStrayCalls;
    return 0;
  }
  return host->Answer(entry, opcode, index, value, ptr, opt);
}

int Host::StrayCalls()
{
  return gStrayCalls.load();
}

std::intptr_t Host::Answer(vst2::Entry*, std::int32_t opcode, std::int32_t index, std::intptr_t value, void* ptr,
                           float opt)
{
  std::lock_guard<std::mutex> lock(mMutex);
  mCalls.push_back({opcode, index, value, opt});
  switch (opcode) {
  case 1:  // host version
    return 2400;
  case vst2::hostop::kWantMidi:
    return 1;
  case vst2::hostop::kGetTime:
    return reinterpret_cast<std::intptr_t>(&mTime);
  case vst2::hostop::kProcessEvents: {
    if (!ptr)
      return 0;
    auto* list = static_cast<const vst2::EventList*>(ptr);
    std::int32_t n = std::clamp(list->count, 0, 1024);
    for (std::int32_t i = 0; i < n; ++i) {
      const vst2::Event* e = vst2::EventAt(list, i);
      if (!e)
        continue;
      SentEvent s{};
      s.listCount = list->count;
      s.listTerminated = vst2::EventAt(list, n) == nullptr;
      s.type = e->type;
      s.byteSize = e->byteSize;
      s.deltaFrames = e->deltaFrames;
      if (e->type == vst2::kEventMidi) {
        std::memcpy(s.bytes, reinterpret_cast<const vst2::MidiEvent*>(e)->midiData, 4);
      } else if (e->type == vst2::kEventSysEx) {
        auto* x = reinterpret_cast<const vst2::SysExEvent*>(e);
        s.dumpBytes = x->dumpBytes;
        if (x->sysexDump && x->dumpBytes > 0)
          std::memcpy(s.bytes, x->sysexDump, static_cast<std::size_t>(std::min(x->dumpBytes, 4)));
      }
      mSent.push_back(s);
    }
    return 1;
  }
  case vst2::hostop::kGetCurrentProcessLevel:
    return 0;  // not known: never an offline render
  case vst2::hostop::kGetProductString:
    if (ptr) {
      std::strncpy(static_cast<char*>(ptr), mProduct.c_str(), 63);
      static_cast<char*>(ptr)[63] = '\0';
      return 1;
    }
    return 0;
  case vst2::hostop::kGetVendorVersion:
    return mVendorVersion;
  default:
    return 0;
  }
}

void Host::Adopt(vst2::Entry* entry)
{
  std::lock_guard<std::mutex> lock(gRegistryMutex);
  gRegistry.emplace_back(entry, this);
}

void Host::Release(vst2::Entry* entry)
{
  std::lock_guard<std::mutex> lock(gRegistryMutex);
  gRegistry.erase(std::remove_if(gRegistry.begin(), gRegistry.end(),
                                 [&](auto& p) { return p.first == entry && p.second == this; }),
                  gRegistry.end());
}

// ---- Plugin ----------------------------------------------------------------

std::unique_ptr<Plugin> Plugin::Create(Host& host, const char* entryName)
{
  vst2::ModuleEntryProc entry = ModuleEntry(entryName);
  if (!entry)
    return nullptr;
  Host* previous = tCreatingHost;
  tCreatingHost = &host;
  vst2::Entry* e = entry(&Host::Callback);
  tCreatingHost = previous;
  if (!e)
    return nullptr;
  host.Adopt(e);
  return std::unique_ptr<Plugin>(new Plugin(host, e));
}

Plugin::~Plugin()
{
  Close();
}

std::intptr_t Plugin::Dispatch(std::int32_t opcode, std::int32_t index, std::intptr_t value, void* ptr, float opt)
{
  return mEntry->dispatcher(mEntry, opcode, index, value, ptr, opt);
}

void Plugin::Close()
{
  if (!mEntry)
    return;
  Dispatch(vst2::op::kClose);
  mHost.Release(mEntry);
  mEntry = nullptr;
}

void Plugin::Start(float sampleRate, int blockSize)
{
  Dispatch(vst2::op::kOpen);
  Dispatch(vst2::op::kSetSampleRate, 0, 0, nullptr, sampleRate);
  Dispatch(vst2::op::kSetBlockSize, 0, blockSize);
  Dispatch(vst2::op::kMainsChanged, 0, 1);
}

float Plugin::Get(int index)
{
  return mEntry->getParameter(mEntry, index);
}

std::vector<float> Plugin::Values()
{
  std::vector<float> v;
  for (int i = 0; i < mEntry->parameterCount; ++i) v.push_back(Get(i));
  return v;
}

void Plugin::Set(int index, float normalized)
{
  mEntry->setParameter(mEntry, index, normalized);
}

namespace {
std::string TextOf(const char* buf, std::size_t size)
{
  return std::string(buf, strnlen(buf, size));
}
}  // namespace

std::string Plugin::Name(int index)
{
  char buf[256] = {};
  Dispatch(vst2::op::kGetParamName, index, 0, buf);
  return TextOf(buf, sizeof buf);
}

std::string Plugin::Label(int index)
{
  char buf[256] = {};
  Dispatch(vst2::op::kGetParamLabel, index, 0, buf);
  return TextOf(buf, sizeof buf);
}

std::string Plugin::Display(int index)
{
  char buf[256] = {};
  Dispatch(vst2::op::kGetParamDisplay, index, 0, buf);
  return TextOf(buf, sizeof buf);
}

std::intptr_t Plugin::StringToParameter(int index, const char* text)
{
  return Dispatch(vst2::op::kString2Parameter, index, 0, const_cast<char*>(text));
}

std::string Plugin::ProgramName()
{
  char buf[512] = {};
  Dispatch(vst2::op::kGetProgramName, 0, 0, buf);
  return TextOf(buf, sizeof buf);
}

std::vector<unsigned char> Plugin::GetChunk(bool bank, std::intptr_t* result)
{
  void* data = nullptr;
  std::intptr_t r = Dispatch(vst2::op::kGetChunk, bank ? 0 : 1, 0, &data);
  if (result)
    *result = r;
  if (r <= 0 || !data)
    return {};
  const auto* bytes = static_cast<const unsigned char*>(data);
  return std::vector<unsigned char>(bytes, bytes + r);
}

std::intptr_t Plugin::SetChunk(bool bank, const void* data, std::intptr_t size)
{
  return Dispatch(vst2::op::kSetChunk, bank ? 0 : 1, size, const_cast<void*>(data));
}

std::intptr_t Plugin::SetChunk(bool bank, const std::vector<unsigned char>& bytes)
{
  return SetChunk(bank, bytes.data(), static_cast<std::intptr_t>(bytes.size()));
}

std::intptr_t Plugin::SendMidi(const std::vector<Midi>& events)
{
  std::vector<vst2::MidiEvent> records(events.size());
  std::vector<void*> pointers;
  for (std::size_t i = 0; i < events.size(); ++i) {
    vst2::MidiEvent& m = records[i];
    std::memset(&m, 0, sizeof m);
    m.type = vst2::kEventMidi;
    m.byteSize = sizeof(vst2::MidiEvent);
    m.deltaFrames = static_cast<std::int32_t>(events[i].frame);
    m.midiData[0] = events[i].status;
    m.midiData[1] = events[i].data1;
    m.midiData[2] = events[i].data2;
    pointers.push_back(&m);
  }
  return SendEventPointers(pointers, static_cast<std::int32_t>(pointers.size()));
}

std::intptr_t Plugin::SendEventPointers(const std::vector<void*>& pointers, std::int32_t count)
{
  // count, reserved, then the pointers and a terminating null.
  std::vector<std::intptr_t> raw(2 + pointers.size() + 1, 0);
  auto* list = reinterpret_cast<vst2::EventList*>(raw.data());
  list->count = count;
  list->reserved = 0;
  auto** slots = reinterpret_cast<void**>(reinterpret_cast<char*>(list) + offsetof(vst2::EventList, events));
  for (std::size_t i = 0; i < pointers.size(); ++i)
    slots[i] = pointers[i];
  return Dispatch(vst2::op::kProcessEvents, 0, 0, list);
}

void Plugin::Process(ProcessKind kind, float** floatOut, double** doubleOut, int frames)
{
  // The plug-in has no inputs; hand over a harmless array all the same, as
  // hosts do.
  std::vector<float> silentF(static_cast<std::size_t>(std::max(frames, 1)), 0.0f);
  std::vector<double> silentD(static_cast<std::size_t>(std::max(frames, 1)), 0.0);
  float* inF[2] = {silentF.data(), silentF.data()};
  double* inD[2] = {silentD.data(), silentD.data()};
  switch (kind) {
  case ProcessKind::kReplacing:
    mEntry->processReplacing(mEntry, inF, floatOut, frames);
    break;
  case ProcessKind::kAccumulating:
    mEntry->processAccumulating(mEntry, inF, floatOut, frames);
    break;
  case ProcessKind::kDouble:
    mEntry->processDoubleReplacing(mEntry, inD, doubleOut, frames);
    break;
  }
}

// ---- rendering ---------------------------------------------------------------

Rendered Render(Plugin& plugin, const std::vector<Midi>& events, std::int64_t frames, const RenderSetup& setup)
{
  Rendered out;
  out.left.assign(static_cast<std::size_t>(frames), 0.0);
  if (setup.outputs >= 2)
    out.right.assign(static_cast<std::size_t>(frames), 0.0);

  std::vector<Midi> pending(events);
  std::stable_sort(pending.begin(), pending.end(), [](const Midi& a, const Midi& b) { return a.frame < b.frame; });
  std::size_t nextEvent = 0;
  bool anyNonZeroBlock = std::any_of(setup.blockPattern.begin(), setup.blockPattern.end(), [](int n) { return n > 0; });
  if (!anyNonZeroBlock)
    return out;

  std::vector<float> fL, fR;
  std::vector<double> dL, dR;
  std::int64_t pos = 0;
  std::size_t blockIndex = 0;
  while (pos < frames) {
    int n = setup.blockPattern[blockIndex++ % setup.blockPattern.size()];
    n = static_cast<int>(std::min<std::int64_t>(n, frames - pos));
    if (n > 0) {
      std::vector<Midi> block;
      while (nextEvent < pending.size() && pending[nextEvent].frame < pos + n) {
        Midi m = pending[nextEvent++];
        if (m.frame < pos)
          continue;  // before the render start
        m.frame -= pos;
        block.push_back(m);
      }
      if (!block.empty())
        plugin.SendMidi(block);
    }
    std::size_t size = static_cast<std::size_t>(std::max(n, 1));
    // Replacing outputs start as NaN so a frame the plug-in leaves unwritten
    // shows up; accumulating outputs start at the given base.
    float fill = setup.kind == ProcessKind::kAccumulating ? setup.accumulateBase : NAN;
    fL.assign(size, fill);
    fR.assign(size, fill);
    dL.assign(size, NAN);
    dR.assign(size, NAN);
    float* fOut[2] = {fL.data(), fR.data()};
    double* dOut[2] = {dL.data(), dR.data()};
    plugin.Process(setup.kind, fOut, dOut, n);
    bool isDouble = setup.kind == ProcessKind::kDouble;
    for (int i = 0; i < n; ++i) {
      std::size_t at = static_cast<std::size_t>(pos + i);
      out.left[at] = isDouble ? dL[i] : fL[i];
      if (setup.outputs >= 2) {
        out.right[at] = isDouble ? dR[i] : fR[i];
      } else {
        double kept = isDouble ? dR[i] : fR[i];
        double fillValue = isDouble ? NAN : fill;
        bool same = std::isnan(fillValue) ? std::isnan(kept) : kept == fillValue;
        out.secondOutputUntouched = out.secondOutputUntouched && same;
      }
    }
    pos += n;
  }
  return out;
}

std::int64_t FirstNonZero(const std::vector<double>& samples, std::int64_t from)
{
  for (std::size_t i = static_cast<std::size_t>(std::max<std::int64_t>(from, 0)); i < samples.size(); ++i)
    if (samples[i] != 0.0)
      return static_cast<std::int64_t>(i);
  return -1;
}

bool AllFinite(const std::vector<double>& samples)
{
  return std::all_of(samples.begin(), samples.end(), [](double v) { return std::isfinite(v); });
}

double PeakAbs(const std::vector<double>& samples, std::size_t from, std::size_t to)
{
  double peak = 0;
  for (std::size_t i = from; i < std::min(to, samples.size()); ++i)
    peak = std::max(peak, std::fabs(samples[i]));
  return peak;
}

// ---- chunk bytes ---------------------------------------------------------------

std::uint32_t ReadU32(const std::vector<unsigned char>& bytes, std::size_t at)
{
  return static_cast<std::uint32_t>(bytes.at(at)) | static_cast<std::uint32_t>(bytes.at(at + 1)) << 8 |
         static_cast<std::uint32_t>(bytes.at(at + 2)) << 16 | static_cast<std::uint32_t>(bytes.at(at + 3)) << 24;
}

double ReadDouble(const std::vector<unsigned char>& bytes, std::size_t at)
{
  std::uint64_t bits = 0;
  for (int i = 7; i >= 0; --i)
    bits = bits << 8 | bytes.at(at + static_cast<std::size_t>(i));
  double v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

void WriteU32(std::vector<unsigned char>& bytes, std::size_t at, std::uint32_t v)
{
  for (int i = 0; i < 4; ++i)
    bytes.at(at + static_cast<std::size_t>(i)) = static_cast<unsigned char>(v >> (8 * i));
}

void WriteDouble(std::vector<unsigned char>& bytes, std::size_t at, double v)
{
  std::uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  for (int i = 0; i < 8; ++i)
    bytes.at(at + static_cast<std::size_t>(i)) = static_cast<unsigned char>(bits >> (8 * i));
}

std::vector<unsigned char> MakeState(const std::vector<double>& values, bool withHeader)
{
  std::size_t base = withHeader ? kChunkHeaderSize : 0;
  std::vector<unsigned char> bytes(base + 4 + 8 * values.size());
  if (withHeader) {
    WriteU32(bytes, 0, kChunkMagic);
    WriteU32(bytes, 4, kChunkHeaderVersion);
  }
  WriteU32(bytes, base, static_cast<std::uint32_t>(kPluginVersion));
  for (std::size_t i = 0; i < values.size(); ++i)
    WriteDouble(bytes, base + 4 + 8 * i, values[i]);
  return bytes;
}

}  // namespace vst2host
