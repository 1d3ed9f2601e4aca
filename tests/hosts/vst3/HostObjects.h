#pragma once
// The host's side of the interface, as plain objects owned by the test code:
// host application, component handler (with context menus), plug frame,
// parameter changes, event list and byte stream. Each counts the references
// the plug-in takes, so tests can see what it keeps, but none deletes itself:
// its owner does, after the plug-in is gone.
#include <atomic>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "pluginterfaces/base/ibstream.h"
#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/vst/ivstcontextmenu.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivstevents.h"
#include "pluginterfaces/vst/ivsthostapplication.h"
#include "pluginterfaces/vst/ivstparameterchanges.h"

namespace vst3host {

// The kind of host window an editor view opens in on this platform, and one
// it refuses.
#ifdef _WIN32
constexpr const char* kNativeViewType = "HWND";
constexpr const char* kForeignViewType = "X11EmbedWindowID";
#else
constexpr const char* kNativeViewType = "X11EmbedWindowID";
constexpr const char* kForeignViewType = "HWND";
#endif

using Steinberg::int32;
using Steinberg::tresult;
using Steinberg::uint32;
using Steinberg::uint8;
using Steinberg::Vst::ParamID;
using Steinberg::Vst::ParamValue;

// The interfaces of a host object, with the reference count they share.
template <typename... Interfaces>
class HostObject : public Interfaces... {
public:
  int Refs() const { return mRefs.load(); }
  uint32 PLUGIN_API addRef() SMTG_OVERRIDE { return static_cast<uint32>(++mRefs); }
  uint32 PLUGIN_API release() SMTG_OVERRIDE { return static_cast<uint32>(--mRefs); }

private:
  std::atomic<int> mRefs{1};
};

class HostApplication : public HostObject<Steinberg::Vst::IHostApplication> {
public:
  explicit HostApplication(const std::string& name = "Vorblex VST3 test host") : mName(name) {}
  void SetName(const std::string& name) { mName = name; }
  tresult PLUGIN_API getName(Steinberg::Vst::String128 name) SMTG_OVERRIDE;
  tresult PLUGIN_API createInstance(Steinberg::TUID, Steinberg::TUID, void** obj) SMTG_OVERRIDE;
  tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) SMTG_OVERRIDE;

private:
  std::string mName;
};

// Records every call the plug-in makes on it.
class ComponentHandler
    : public HostObject<Steinberg::Vst::IComponentHandler, Steinberg::Vst::IComponentHandler3> {
public:
  struct Call {
    enum Kind { kBegin, kPerform, kEnd, kRestart, kMenu, kPopup } kind;
    ParamID id;
    double value;
  };
  // Without menus the handler does not answer for IComponentHandler3.
  explicit ComponentHandler(bool offerMenus = true) : mOfferMenus(offerMenus) {}
  std::vector<Call> Calls();

  tresult PLUGIN_API beginEdit(ParamID id) SMTG_OVERRIDE;
  tresult PLUGIN_API performEdit(ParamID id, ParamValue valueNormalized) SMTG_OVERRIDE;
  tresult PLUGIN_API endEdit(ParamID id) SMTG_OVERRIDE;
  tresult PLUGIN_API restartComponent(int32 flags) SMTG_OVERRIDE;
  Steinberg::Vst::IContextMenu* PLUGIN_API createContextMenu(Steinberg::IPlugView* plugView,
                                                             const ParamID* paramID) SMTG_OVERRIDE;
  tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) SMTG_OVERRIDE;

  void Record(const Call& call);

private:
  bool mOfferMenus;
  std::mutex mMutex;
  std::vector<Call> mCalls;
};

class PlugFrame : public HostObject<Steinberg::IPlugFrame> {
public:
  tresult PLUGIN_API resizeView(Steinberg::IPlugView* view, Steinberg::ViewRect* newSize) SMTG_OVERRIDE;
  tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) SMTG_OVERRIDE;

  int resizes = 0;
  Steinberg::ViewRect lastSize;
};

class ParamQueue : public HostObject<Steinberg::Vst::IParamValueQueue> {
public:
  explicit ParamQueue(ParamID id) : mId(id) {}
  ParamID PLUGIN_API getParameterId() SMTG_OVERRIDE { return mId; }
  int32 PLUGIN_API getPointCount() SMTG_OVERRIDE { return static_cast<int32>(mPoints.size()); }
  tresult PLUGIN_API getPoint(int32 index, int32& sampleOffset, ParamValue& value) SMTG_OVERRIDE;
  tresult PLUGIN_API addPoint(int32 sampleOffset, ParamValue value, int32& index) SMTG_OVERRIDE;
  tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) SMTG_OVERRIDE;

private:
  struct Point {
    int32 offset;
    ParamValue value;
  };
  ParamID mId;
  std::vector<Point> mPoints;
};

class ParameterChanges : public HostObject<Steinberg::Vst::IParameterChanges> {
public:
  // A queue holding the points in the order given.
  void Add(ParamID id, int32 offset, ParamValue value);
  int32 PLUGIN_API getParameterCount() SMTG_OVERRIDE { return static_cast<int32>(mQueues.size()); }
  Steinberg::Vst::IParamValueQueue* PLUGIN_API getParameterData(int32 index) SMTG_OVERRIDE;
  Steinberg::Vst::IParamValueQueue* PLUGIN_API addParameterData(const ParamID& id, int32& index) SMTG_OVERRIDE;
  tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) SMTG_OVERRIDE;

private:
  std::deque<ParamQueue> mQueues;  // stable addresses
};

class EventList : public HostObject<Steinberg::Vst::IEventList> {
public:
  void NoteOn(int32 offset, int channel, int pitch, float velocity);
  void NoteOff(int32 offset, int channel, int pitch, float velocity);
  int32 PLUGIN_API getEventCount() SMTG_OVERRIDE { return static_cast<int32>(mEvents.size()); }
  tresult PLUGIN_API getEvent(int32 index, Steinberg::Vst::Event& e) SMTG_OVERRIDE;
  tresult PLUGIN_API addEvent(Steinberg::Vst::Event& e) SMTG_OVERRIDE;
  tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) SMTG_OVERRIDE;

private:
  std::vector<Steinberg::Vst::Event> mEvents;
};

// A memory stream that can be told to deliver its bytes in small pieces or to
// run dry early, as streams from disks and networks do.
class ByteStream : public HostObject<Steinberg::IBStream> {
public:
  ByteStream() = default;
  explicit ByteStream(std::vector<uint8> bytes) : mBytes(std::move(bytes)) {}
  // At most this many bytes per read call.
  void SetPieceSize(int32 bytes) { mPiece = bytes; }
  // Reads deliver nothing once this many bytes have been read.
  void SetReadLimit(size_t bytes) { mLimit = bytes; }
  // Writes take nothing more (and say so) once the stream holds this many
  // bytes, as a full disk does.
  void SetWriteLimit(size_t bytes) { mWriteLimit = bytes; }
  const std::vector<uint8>& Bytes() const { return mBytes; }
  size_t BytesRead() const { return mCursor; }

  tresult PLUGIN_API read(void* buffer, int32 numBytes, int32* numBytesRead) SMTG_OVERRIDE;
  tresult PLUGIN_API write(void* buffer, int32 numBytes, int32* numBytesWritten) SMTG_OVERRIDE;
  tresult PLUGIN_API seek(Steinberg::int64 pos, int32 mode, Steinberg::int64* result) SMTG_OVERRIDE;
  tresult PLUGIN_API tell(Steinberg::int64* pos) SMTG_OVERRIDE;
  tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) SMTG_OVERRIDE;

private:
  std::vector<uint8> mBytes;
  size_t mCursor = 0;
  int32 mPiece = 1 << 30;
  size_t mLimit = static_cast<size_t>(-1);
  size_t mWriteLimit = static_cast<size_t>(-1);
};

// 16-bit text to 8-bit (ASCII) text.
std::string Narrow(const Steinberg::Vst::TChar* text, int maxChars = 128);

}  // namespace vst3host
