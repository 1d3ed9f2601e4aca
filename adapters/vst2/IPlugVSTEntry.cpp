// The functions of the entry structure: the host's way in. Each finds the
// instance through the structure's object field and holds the plug-in mutex
// for its whole duration. Nothing thrown inside may cross into the host.
#include <algorithm>
#include <cmath>

#include "adapters/vst2/IPlugVST.h"

IPlugVST* IPlugVST::FromEntry(vst2::Entry* entry) { return entry ? static_cast<IPlugVST*>(entry->object) : nullptr; }

std::intptr_t VORBLEX_VST_CALL IPlugVST::DispatcherEntry(vst2::Entry* entry, std::int32_t opcode, std::int32_t index,
                                                         std::intptr_t value, void* ptr, float opt)
{
  IPlugVST* plug = FromEntry(entry);
  if (!plug) return 0;
  if (opcode == vst2::op::kClose) {
    // Waits for a call in progress on another thread, then lets go: the
    // mutex is part of the object about to be destroyed.
    { MutexLock lock(plug->Mutex()); }
    delete plug;
    return 0;
  }
  try {
    if (opcode == vst2::op::kEditIdle) {
      // The editor's window events and redraws, outside the mutex like a
      // window procedure: a menu the user holds open must not stall audio.
      plug->EditorIdle();
      return 0;
    }
    MutexLock lock(plug->Mutex());
    return plug->Dispatch(opcode, index, value, ptr, opt);
  } catch (...) {
    // An allocation that failed (a huge chunk, say) fails the request only.
    return 0;
  }
}

template <typename Sample>
void IPlugVST::ProcessHostBlock(Sample** inputs, Sample** outputs, std::int32_t frames, bool accumulate)
{
  // No arrays to write into, or a negative length: not a block at all. An
  // absent input array is fine; it reads as silence.
  if (!outputs || frames < 0) return;
  MutexLock lock(Mutex());
  if (DoesMIDI()) CallHost(vst2::hostop::kWantMidi);
  BindInputBuffers(inputs ? NInChannels() : 0, inputs, frames);
  BindOutputBuffers(NOutChannels(), outputs);
  RunBlock(frames, accumulate);
}

void VORBLEX_VST_CALL IPlugVST::ProcessAccumulatingEntry(vst2::Entry* entry, float** inputs, float** outputs,
                                                         std::int32_t frames)
{
  if (IPlugVST* plug = FromEntry(entry)) plug->ProcessHostBlock(inputs, outputs, frames, true);
}

void VORBLEX_VST_CALL IPlugVST::ProcessReplacingEntry(vst2::Entry* entry, float** inputs, float** outputs,
                                                      std::int32_t frames)
{
  if (IPlugVST* plug = FromEntry(entry)) plug->ProcessHostBlock(inputs, outputs, frames, false);
}

void VORBLEX_VST_CALL IPlugVST::ProcessDoubleReplacingEntry(vst2::Entry* entry, double** inputs, double** outputs,
                                                            std::int32_t frames)
{
  if (IPlugVST* plug = FromEntry(entry)) plug->ProcessHostBlock(inputs, outputs, frames, false);
}

void IPlugVST::SetHostParameter(int paramIdx, float value)
{
  MutexLock lock(Mutex());
  IParameter* param = GetParameter(paramIdx);
  // Normalised values live in 0..1; anything else is held at the nearer end,
  // and a value that is no number at all is ignored.
  if (!param || std::isnan(value)) return;
  const double x = std::min(std::max(static_cast<double>(value), 0.0), 1.0);
  if (IEditorLink* editor = GetEditor()) editor->SetParameterFromHost(paramIdx, x, true);
  param->SetNormalized(x);
  OnParameterChange(paramIdx);
}

void VORBLEX_VST_CALL IPlugVST::SetParameterEntry(vst2::Entry* entry, std::int32_t index, float value)
{
  if (IPlugVST* plug = FromEntry(entry)) plug->SetHostParameter(index, value);
}

float VORBLEX_VST_CALL IPlugVST::GetParameterEntry(vst2::Entry* entry, std::int32_t index)
{
  IPlugVST* plug = FromEntry(entry);
  if (!plug) return 0.0f;
  MutexLock lock(plug->Mutex());
  const IParameter* param = plug->GetParameter(index);
  return param ? static_cast<float>(param->GetNormalized()) : 0.0f;
}
