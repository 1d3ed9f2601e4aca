#include "tests/hosts/vst3/HostObjects.h"

#include <algorithm>
#include <cstring>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace vst3host {
namespace {

// A context menu the handler hands out; it reports its popup to the handler
// and, unlike the host objects above, belongs to whoever holds the last
// reference.
class ContextMenu final : public IContextMenu {
public:
  ContextMenu(ComponentHandler& handler, ParamID id) : mHandler(handler), mId(id) {}
  int32 PLUGIN_API getItemCount() SMTG_OVERRIDE { return 0; }
  tresult PLUGIN_API getItem(int32, Item&, IContextMenuTarget**) SMTG_OVERRIDE { return kResultFalse; }
  tresult PLUGIN_API addItem(const Item&, IContextMenuTarget*) SMTG_OVERRIDE { return kResultOk; }
  tresult PLUGIN_API removeItem(const Item&, IContextMenuTarget*) SMTG_OVERRIDE { return kResultOk; }
  tresult PLUGIN_API popup(UCoord x, UCoord y) SMTG_OVERRIDE
  {
    mHandler.Record({ComponentHandler::Call::kPopup, mId, static_cast<double>(x) * 10000.0 + y});
    return kResultOk;
  }
  tresult PLUGIN_API queryInterface(const TUID iid, void** obj) SMTG_OVERRIDE
  {
    QUERY_INTERFACE(iid, obj, FUnknown::iid, IContextMenu)
    QUERY_INTERFACE(iid, obj, IContextMenu::iid, IContextMenu)
    *obj = nullptr;
    return kNoInterface;
  }
  uint32 PLUGIN_API addRef() SMTG_OVERRIDE { return static_cast<uint32>(++mRefs); }
  uint32 PLUGIN_API release() SMTG_OVERRIDE
  {
    int left = --mRefs;
    if (left == 0) delete this;
    return static_cast<uint32>(left);
  }

private:
  ComponentHandler& mHandler;
  ParamID mId;
  std::atomic<int> mRefs{1};
};

}  // namespace

std::string Narrow(const TChar* text, int maxChars)
{
  std::string out;
  for (int i = 0; text && i < maxChars && text[i]; ++i) out.push_back(static_cast<char>(text[i] & 0xFF));
  return out;
}

// ---- HostApplication ----

tresult PLUGIN_API HostApplication::getName(String128 name)
{
  if (!name) return kInvalidArgument;
  size_t i = 0;
  for (; i < 127 && i < mName.size(); ++i) name[i] = static_cast<TChar>(static_cast<unsigned char>(mName[i]));
  name[i] = 0;
  return kResultOk;
}

tresult PLUGIN_API HostApplication::createInstance(TUID, TUID, void** obj)
{
  if (obj) *obj = nullptr;
  return kNotImplemented;
}

tresult PLUGIN_API HostApplication::queryInterface(const TUID iid, void** obj)
{
  QUERY_INTERFACE(iid, obj, FUnknown::iid, IHostApplication)
  QUERY_INTERFACE(iid, obj, IHostApplication::iid, IHostApplication)
  *obj = nullptr;
  return kNoInterface;
}

// ---- ComponentHandler ----

void ComponentHandler::Record(const Call& call)
{
  std::lock_guard<std::mutex> lock(mMutex);
  mCalls.push_back(call);
}

std::vector<ComponentHandler::Call> ComponentHandler::Calls()
{
  std::lock_guard<std::mutex> lock(mMutex);
  return mCalls;
}

tresult PLUGIN_API ComponentHandler::beginEdit(ParamID id)
{
  Record({Call::kBegin, id, 0.0});
  return kResultOk;
}

tresult PLUGIN_API ComponentHandler::performEdit(ParamID id, ParamValue valueNormalized)
{
  Record({Call::kPerform, id, valueNormalized});
  return kResultOk;
}

tresult PLUGIN_API ComponentHandler::endEdit(ParamID id)
{
  Record({Call::kEnd, id, 0.0});
  return kResultOk;
}

tresult PLUGIN_API ComponentHandler::restartComponent(int32 flags)
{
  Record({Call::kRestart, 0, static_cast<double>(flags)});
  return kResultOk;
}

IContextMenu* PLUGIN_API ComponentHandler::createContextMenu(IPlugView* plugView, const ParamID* paramID)
{
  const ParamID id = paramID ? *paramID : 0xFFFFFFFFu;
  Record({Call::kMenu, id, plugView ? 1.0 : 0.0});
  return new ContextMenu(*this, id);
}

tresult PLUGIN_API ComponentHandler::queryInterface(const TUID iid, void** obj)
{
  QUERY_INTERFACE(iid, obj, FUnknown::iid, IComponentHandler)
  QUERY_INTERFACE(iid, obj, IComponentHandler::iid, IComponentHandler)
  if (mOfferMenus) {
    QUERY_INTERFACE(iid, obj, IComponentHandler3::iid, IComponentHandler3)
  }
  *obj = nullptr;
  return kNoInterface;
}

// ---- PlugFrame ----

tresult PLUGIN_API PlugFrame::resizeView(IPlugView*, ViewRect* newSize)
{
  ++resizes;
  if (newSize) lastSize = *newSize;
  return kResultOk;
}

tresult PLUGIN_API PlugFrame::queryInterface(const TUID iid, void** obj)
{
  QUERY_INTERFACE(iid, obj, FUnknown::iid, IPlugFrame)
  QUERY_INTERFACE(iid, obj, IPlugFrame::iid, IPlugFrame)
  *obj = nullptr;
  return kNoInterface;
}

// ---- ParamQueue, ParameterChanges ----

tresult PLUGIN_API ParamQueue::getPoint(int32 index, int32& sampleOffset, ParamValue& value)
{
  if (index < 0 || index >= getPointCount()) return kResultFalse;
  sampleOffset = mPoints[static_cast<size_t>(index)].offset;
  value = mPoints[static_cast<size_t>(index)].value;
  return kResultOk;
}

tresult PLUGIN_API ParamQueue::addPoint(int32 sampleOffset, ParamValue value, int32& index)
{
  index = static_cast<int32>(mPoints.size());
  mPoints.push_back({sampleOffset, value});
  return kResultOk;
}

tresult PLUGIN_API ParamQueue::queryInterface(const TUID iid, void** obj)
{
  QUERY_INTERFACE(iid, obj, FUnknown::iid, IParamValueQueue)
  QUERY_INTERFACE(iid, obj, IParamValueQueue::iid, IParamValueQueue)
  *obj = nullptr;
  return kNoInterface;
}

void ParameterChanges::Add(ParamID id, int32 offset, ParamValue value)
{
  int32 index = 0;
  IParamValueQueue* queue = addParameterData(id, index);
  int32 point = 0;
  queue->addPoint(offset, value, point);
}

IParamValueQueue* PLUGIN_API ParameterChanges::getParameterData(int32 index)
{
  if (index < 0 || index >= getParameterCount()) return nullptr;
  return &mQueues[static_cast<size_t>(index)];
}

IParamValueQueue* PLUGIN_API ParameterChanges::addParameterData(const ParamID& id, int32& index)
{
  for (size_t q = 0; q < mQueues.size(); ++q) {
    if (mQueues[q].getParameterId() == id) {
      index = static_cast<int32>(q);
      return &mQueues[q];
    }
  }
  mQueues.emplace_back(id);
  index = static_cast<int32>(mQueues.size() - 1);
  return &mQueues.back();
}

tresult PLUGIN_API ParameterChanges::queryInterface(const TUID iid, void** obj)
{
  QUERY_INTERFACE(iid, obj, FUnknown::iid, IParameterChanges)
  QUERY_INTERFACE(iid, obj, IParameterChanges::iid, IParameterChanges)
  *obj = nullptr;
  return kNoInterface;
}

// ---- EventList ----

void EventList::NoteOn(int32 offset, int channel, int pitch, float velocity)
{
  Event e = {};
  e.sampleOffset = offset;
  e.type = Event::kNoteOnEvent;
  e.noteOn.channel = static_cast<int16>(channel);
  e.noteOn.pitch = static_cast<int16>(pitch);
  e.noteOn.velocity = velocity;
  e.noteOn.noteId = -1;
  mEvents.push_back(e);
}

void EventList::NoteOff(int32 offset, int channel, int pitch, float velocity)
{
  Event e = {};
  e.sampleOffset = offset;
  e.type = Event::kNoteOffEvent;
  e.noteOff.channel = static_cast<int16>(channel);
  e.noteOff.pitch = static_cast<int16>(pitch);
  e.noteOff.velocity = velocity;
  e.noteOff.noteId = -1;
  mEvents.push_back(e);
}

tresult PLUGIN_API EventList::getEvent(int32 index, Event& e)
{
  if (index < 0 || index >= getEventCount()) return kResultFalse;
  e = mEvents[static_cast<size_t>(index)];
  return kResultOk;
}

tresult PLUGIN_API EventList::addEvent(Event& e)
{
  mEvents.push_back(e);
  return kResultOk;
}

tresult PLUGIN_API EventList::queryInterface(const TUID iid, void** obj)
{
  QUERY_INTERFACE(iid, obj, FUnknown::iid, IEventList)
  QUERY_INTERFACE(iid, obj, IEventList::iid, IEventList)
  *obj = nullptr;
  return kNoInterface;
}

// ---- ByteStream ----

tresult PLUGIN_API ByteStream::read(void* buffer, int32 numBytes, int32* numBytesRead)
{
  if (numBytesRead) *numBytesRead = 0;
  if (!buffer || numBytes < 0) return kInvalidArgument;
  const size_t end = std::min(mBytes.size(), mLimit);
  size_t n = mCursor < end ? end - mCursor : 0;
  n = std::min({n, static_cast<size_t>(numBytes), static_cast<size_t>(mPiece)});
  if (n > 0) std::memcpy(buffer, mBytes.data() + mCursor, n);
  mCursor += n;
  if (numBytesRead) *numBytesRead = static_cast<int32>(n);
  return kResultOk;
}

tresult PLUGIN_API ByteStream::write(void* buffer, int32 numBytes, int32* numBytesWritten)
{
  if (numBytesWritten) *numBytesWritten = 0;
  if (!buffer || numBytes < 0) return kInvalidArgument;
  const auto* bytes = static_cast<const uint8*>(buffer);
  if (mCursor >= mWriteLimit && numBytes > 0) return kResultFalse;
  numBytes = static_cast<int32>(std::min(static_cast<size_t>(numBytes), mWriteLimit - mCursor));
  if (mCursor + static_cast<size_t>(numBytes) > mBytes.size()) mBytes.resize(mCursor + static_cast<size_t>(numBytes));
  std::memcpy(mBytes.data() + mCursor, bytes, static_cast<size_t>(numBytes));
  mCursor += static_cast<size_t>(numBytes);
  if (numBytesWritten) *numBytesWritten = numBytes;
  return kResultOk;
}

tresult PLUGIN_API ByteStream::seek(int64 pos, int32 mode, int64* result)
{
  int64 base = mode == kIBSeekSet ? 0 : mode == kIBSeekCur ? static_cast<int64>(mCursor)
                                                           : static_cast<int64>(mBytes.size());
  if (base + pos < 0) return kInvalidArgument;
  mCursor = static_cast<size_t>(base + pos);
  if (result) *result = static_cast<int64>(mCursor);
  return kResultOk;
}

tresult PLUGIN_API ByteStream::tell(int64* pos)
{
  if (!pos) return kInvalidArgument;
  *pos = static_cast<int64>(mCursor);
  return kResultOk;
}

tresult PLUGIN_API ByteStream::queryInterface(const TUID iid, void** obj)
{
  QUERY_INTERFACE(iid, obj, FUnknown::iid, IBStream)
  QUERY_INTERFACE(iid, obj, IBStream::iid, IBStream)
  *obj = nullptr;
  return kNoInterface;
}

}  // namespace vst3host
