// Saved state and the preset list of the plug-in base.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "framework/IPlugBase.h"

bool IPlugBase::SerializeParams(IStateChunk& chunk)
{
  MutexLock lock(mMutex);
  for (const auto& param : mParams) {
    if (!chunk.PutDouble(param->Value())) return false;
  }
  return true;
}

int IPlugBase::UnserializeParams(const IStateChunk& chunk, int startPos)
{
  MutexLock lock(mMutex);
  int pos = startPos < 0 ? -1 : startPos;
  for (auto& param : mParams) {
    if (pos < 0) break;
    double v = 0.0;
    pos = chunk.GetDouble(&v, pos);
    if (pos < 0) v = 0.0;
    // A stored value that is not a number restores the default, so one bad
    // double in a project cannot poison the engine.
    param->Set(std::isfinite(v) ? v : param->Default());
  }
  for (int i = 0; i < NParams(); ++i) OnParameterChange(i);
  return pos;
}

bool IPlugBase::SerializePresets(IStateChunk& chunk)
{
  bool ok = true;
  for (const auto& preset : mPresets) {
    if (!ok) break;
    ok = chunk.PutString(preset->mName) && chunk.PutBool(preset->mInitialized);
    if (ok && preset->mInitialized) ok = chunk.PutChunk(preset->mChunk);
  }
  return ok;
}

int IPlugBase::UnserializePresets(const IStateChunk& chunk, int startPos)
{
  int pos = startPos < 0 ? -1 : startPos;
  // An empty stored name repeats the previous preset's name.
  char name[kPresetNameSize] = {};
  for (auto& preset : mPresets) {
    if (pos < 0) break;
    pos = chunk.GetString(name, sizeof name, pos);
    CopyText(preset->mName, name, kPresetNameSize);
    bool initialized = false;
    pos = chunk.GetBool(&initialized, pos);
    if (pos < 0) break;
    preset->mInitialized = initialized;
    if (initialized) {
      pos = UnserializeState(chunk, pos);
      if (pos > 0) {
        preset->mChunk.Clear();
        SerializeState(preset->mChunk);
      }
    }
  }
  if (mCurrentPresetIdx >= 0) RecallPreset(mCurrentPresetIdx);
  return pos;
}

bool IPlugBase::RecallPreset(int idx)
{
  if (idx < 0 || idx >= NPresets()) return false;
  IPresetSlot& preset = *mPresets[static_cast<size_t>(idx)];
  bool ok;
  if (preset.mInitialized) {
    ok = UnserializeState(preset.mChunk, 0) > 0;
  } else {
    preset.mInitialized = true;
    NextUserPresetName(preset.mName);
    ok = SerializeState(preset.mChunk);
  }
  if (ok) {
    mCurrentPresetIdx = idx;
    OnPresetsChanged();
    RedrawParameterControls();
  }
  return ok;
}

void IPlugBase::ModifyCurrentPreset(const char* name)
{
  if (mCurrentPresetIdx < 0 || mCurrentPresetIdx >= NPresets()) return;
  IPresetSlot& preset = *mPresets[static_cast<size_t>(mCurrentPresetIdx)];
  preset.mChunk.Clear();
  SerializeState(preset.mChunk);
  if (name && name[0]) CopyText(preset.mName, name, kPresetNameSize);
}

const char* IPlugBase::PresetName(int idx) const
{
  return (idx >= 0 && idx < NPresets()) ? mPresets[static_cast<size_t>(idx)]->mName : "";
}

bool IPlugBase::IsPresetInitialized(int idx) const
{
  return idx >= 0 && idx < NPresets() && mPresets[static_cast<size_t>(idx)]->mInitialized;
}

void IPlugBase::FillEmptyPresets(const char* name, int count)
{
  for (int n = 0; n < count; ++n) {
    for (auto& preset : mPresets) {
      if (preset->mInitialized) continue;
      preset->mInitialized = true;
      CopyText(preset->mName, name ? name : "Empty", kPresetNameSize);
      SerializeState(preset->mChunk);
      break;
    }
  }
}

void IPlugBase::NextUserPresetName(char* out) const
{
  int count = 0;
  for (const auto& preset : mPresets) {
    if (std::strstr(preset->mName, "user preset")) ++count;
  }
  std::snprintf(out, kPresetNameSize, "%s %d", "user preset", count + 1);
}
