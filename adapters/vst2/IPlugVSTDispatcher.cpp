// The dispatcher: one opcode at a time, under the plug-in mutex (taken by the
// entry function). Every pointer and number here comes from the host and is
// checked before use.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "adapters/vst2/EditorWindow.h"
#include "adapters/vst2/IPlugVST.h"

namespace {

// Buffer sizes the interface gives hosts for these texts.
constexpr int kEffectNameSize = 32;
constexpr int kVendorTextSize = 64;

bool IsIndex(std::intptr_t value, int count) { return value >= 0 && value < count; }

}  // namespace

std::intptr_t IPlugVST::Dispatch(std::int32_t opcode, std::int32_t index, std::intptr_t value, void* ptr, float opt)
{
  namespace op = vst2::op;
  char* text = static_cast<char*>(ptr);
  IParameter* param = GetParameter(index);
  switch (opcode) {
    case op::kOpen:
      InitForHost();
      NotifyAllParameters();
      return 0;
    case op::kSetProgram:
      if (!DoesStateChunks()) ModifyCurrentPreset();
      if (IsIndex(value, NPresets())) RecallPreset(static_cast<int>(value));
      return 0;
    case op::kGetProgram: return CurrentPresetIdx();
    case op::kSetProgramName:
      if (text) {
        ModifyCurrentPreset(text);
        OnPresetsChanged();
      }
      return 0;
    case op::kGetProgramName:
      // Names are kept whole (up to 255 characters, and so in bank chunks),
      // but the host's buffer only holds the interface's program-name size.
      if (text) CopyText(text, PresetName(CurrentPresetIdx()), vst2::kProgramNameBufferSize);
      return 0;
    case op::kGetParamLabel:
      if (param && text) CopyText(text, param->LabelForHost(), kParamTextSize);
      return 0;
    case op::kGetParamDisplay:
      if (param && text) {
        // Formatted here first: the host's buffer is not ours to overrun.
        char display[kParamTextSize];
        param->FormatDisplay(display, true);
        CopyText(text, display, kParamTextSize);
      }
      return 0;
    case op::kGetParamName:
      if (param && text) CopyText(text, param->Name(), kParamTextSize);
      return 0;
    case op::kSetSampleRate: SetHostSampleRate(opt); return 0;
    case op::kSetBlockSize: SetHostBlockSize(value); return 0;
    case op::kMainsChanged:
      if (value != 0) {
        OnActivate(true);
      } else {
        OnActivate(false);
        Reset();
      }
      return 0;
    case op::kEditGetRect:
    case op::kEditOpen:
    case op::kEditClose: return DispatchEditor(opcode, ptr);
    case op::kIdentify: return vst2::kIdentifyAnswer;
    case op::kGetChunk: return GetChunk(index == 0, ptr);
    case op::kSetChunk: return SetChunk(index == 0, value, ptr);
    case op::kProcessEvents: return ProcessEvents(static_cast<const vst2::EventList*>(ptr));
    case op::kCanBeAutomated: return 1;
    case op::kString2Parameter: return StringToParameter(index, text);
    case op::kGetProgramNameIndexed:
      if (!text) return 0;
      CopyText(text, PresetName(index), vst2::kProgramNameBufferSize);
      return text[0] ? 1 : 0;
    case op::kGetInputProperties:
    case op::kGetOutputProperties:
      return PinProperties(opcode == op::kGetInputProperties, index, static_cast<vst2::PinProperties*>(ptr));
    case op::kGetPlugCategory: return IsInstrument() ? vst2::kCategorySynth : vst2::kCategoryEffect;
    case op::kSetSpeakerArrangement:
      SetSpeakerArrangement(true, reinterpret_cast<const vst2::SpeakerArrangement*>(value));
      SetSpeakerArrangement(false, static_cast<const vst2::SpeakerArrangement*>(ptr));
      return 1;
    case op::kGetEffectName:
      if (!text) return 0;
      CopyText(text, GetEffectName(), kEffectNameSize);
      return 1;
    case op::kGetVendorString:
      if (!text) return 0;
      CopyText(text, GetMakerName(), kVendorTextSize);
      return 1;
    case op::kGetProductString:
      if (!text) return 0;
      CopyText(text, GetProductName(), kVendorTextSize);
      return 1;
    case op::kGetVendorVersion: return VersionDecimal();
    case op::kVendorSpecific: return VendorSpecific(index, value, ptr, opt);
    case op::kCanDo: return CanDo(text);
    case op::kGetTailSize: return GetTailSize();
    case op::kGetVstVersion: return vst2::kVstVersion;
    case op::kGetMidiKeyName: return MidiKeyName(static_cast<vst2::MidiKeyName*>(ptr));
    case op::kGetSpeakerArrangement:
      if (value) *reinterpret_cast<vst2::SpeakerArrangement**>(value) = &mInputArrangement;
      if (ptr) *static_cast<vst2::SpeakerArrangement**>(ptr) = &mOutputArrangement;
      return 1;
    // Idle and variable input/output: nothing to do. Editor idle is served
    // by the entry function, outside the mutex.
    default: return 0;
  }
}

std::intptr_t IPlugVST::DispatchEditor(std::int32_t opcode, void* ptr)
{
  if (!HasEditorWindow()) return 0;
  IEditorLink* editor = GetEditor();
  switch (opcode) {
    case vst2::op::kEditGetRect:
      if (!ptr) return 0;
      *static_cast<vst2::EditRect**>(ptr) = &mEditRect;
      return 1;
    case vst2::op::kEditOpen:
      // The editor is a child window: without a parent there is nowhere to open it.
      if (!ptr || !OpenEditorWindow(editor, ptr)) return 0;
      OnEditorOpen();
      return 1;
    case vst2::op::kEditClose:
      OnEditorClose();
      CloseEditorWindow(editor);
      return 1;
    default: return 0;
  }
}

void IPlugVST::SetHostSampleRate(float rate)
{
  // A rate that is not a positive finite number leaves everything as it was.
  if (SetSampleRate(static_cast<double>(rate))) Reset();
}

void IPlugVST::SetHostBlockSize(std::intptr_t frames)
{
  if (frames < 1) return;
  // The scratch buffers only need to hold one slice of a host block.
  SetBlockSize(static_cast<int>(std::min<std::intptr_t>(frames, kMaxScratchFrames)));
  Reset();
}

std::intptr_t IPlugVST::GetChunk(bool bank, void* ptr)
{
  if (!ptr) return 0;
  IStateChunk& chunk = bank ? mBankChunk : mProgramChunk;
  WriteChunkHeader(chunk);
  bool ok;
  if (bank) {
    ModifyCurrentPreset();
    ok = SerializePresets(chunk);
  } else {
    ok = SerializeState(chunk);
  }
  if (!ok || chunk.Size() == 0) return 0;
  *static_cast<void**>(ptr) = chunk.Data();
  return chunk.Size();
}

std::intptr_t IPlugVST::SetChunk(bool bank, std::intptr_t size, const void* ptr)
{
  if (!ptr || size <= 0 || size > kMaxChunkSize) return 0;
  // Read from a copy of our own: hosts may hand back the very bytes the last
  // get returned, which live in the program or bank chunk.
  IStateChunk chunk;
  if (!chunk.PutBytes(ptr, static_cast<int>(size))) return 0;
  int pos = 0;
  const int32_t headerVersion = ReadChunkHeader(chunk, &pos);
  // Both readers restore everything or nothing; only a state that was
  // restored becomes the current preset's.
  if (bank && headerVersion >= kChunkHeaderVersion) {
    pos = UnserializePresets(chunk, pos);
  } else {
    pos = UnserializeState(chunk, pos);
    if (pos >= 0) ModifyCurrentPreset();
  }
  if (pos < 0) return 0;
  RedrawParameterControls();
  return 1;
}

std::intptr_t IPlugVST::ProcessEvents(const vst2::EventList* list)
{
  if (!list) return 0;
  for (std::int32_t i = 0; i < list->count; ++i) {
    const vst2::Event* event = vst2::EventAt(list, i);
    if (!event) continue;
    if (event->type == vst2::kEventMidi) {
      const auto* midi = reinterpret_cast<const vst2::MidiEvent*>(event);
      ProcessMidiMessage(IMidiMessage(midi->deltaFrames, midi->midiData[0], midi->midiData[1], midi->midiData[2]));
    } else if (event->type == vst2::kEventSysEx) {
      const auto* sysex = reinterpret_cast<const vst2::SysExEvent*>(event);
      // A dump without bytes, or of a negative size, is nothing to pass on.
      if (!sysex->sysexDump || sysex->dumpBytes < 0) continue;
      ISysExMessage msg;
      msg.mOffset = sysex->deltaFrames;
      msg.mSize = sysex->dumpBytes;
      msg.mData = reinterpret_cast<const uint8_t*>(sysex->sysexDump);
      ProcessSysEx(msg);
    }
  }
  return 1;
}
