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

int IPlugBase::CheckParams(const IStateChunk& chunk, int startPos) const
{
  int pos = startPos < 0 ? -1 : startPos;
  for (int i = 0; i < NParams() && pos >= 0; ++i) {
    double v = 0.0;
    pos = chunk.GetDouble(&v, pos);
    if (pos >= 0 && !std::isfinite(v)) pos = -1;
  }
  return pos;
}

int IPlugBase::UnserializeParams(const IStateChunk& chunk, int startPos)
{
  MutexLock lock(mMutex);
  // Every value is read and checked before the first one is applied: a cut or
  // damaged state leaves the sound exactly as it was.
  const int end = CheckParams(chunk, startPos);
  if (end < 0) return -1;
  int pos = startPos;
  for (auto& param : mParams) {
    double v = 0.0;
    pos = chunk.GetDouble(&v, pos);
    param->Set(v);
  }
  for (int i = 0; i < NParams(); ++i) OnParameterChange(i);
  return end;
}

int IPlugBase::CheckState(const IStateChunk& chunk, int startPos) { return CheckParams(chunk, startPos); }

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

int IPlugBase::CheckPresets(const IStateChunk& chunk, int startPos)
{
  int pos = startPos < 0 ? -1 : startPos;
  for (size_t i = 0; i < mPresets.size() && pos >= 0; ++i) {
    int32_t n = -1;
    const int textPos = chunk.GetInt(&n, pos);
    // Names are kept to 255 characters, and every byte of one must be there.
    if (textPos < 0 || n < 0 || n >= kPresetNameSize) return -1;
    if (static_cast<int64_t>(textPos) + n > chunk.Size()) return -1;
    pos = textPos + n;
    bool initialized = false;
    pos = chunk.GetBool(&initialized, pos);
    if (pos >= 0 && initialized) pos = CheckState(chunk, pos);
  }
  return pos;
}

int IPlugBase::UnserializePresets(const IStateChunk& chunk, int startPos)
{
  MutexLock lock(mMutex);
  // The whole list is checked first; a list that fails anywhere changes
  // neither the presets nor the sound.
  const int end = CheckPresets(chunk, startPos);
  if (end < 0) return -1;
  int pos = startPos;
  // An empty stored name repeats the previous preset's name.
  char name[kPresetNameSize] = {};
  for (auto& preset : mPresets) {
    pos = chunk.GetString(name, sizeof name, pos);
    CopyText(preset->mName, name, kPresetNameSize);
    bool initialized = false;
    pos = chunk.GetBool(&initialized, pos);
    preset->mInitialized = initialized;
    // An empty slot holds no state, so a later recall starts it afresh.
    if (!initialized) preset->mChunk.Clear();
    if (initialized) {
      // Read through the parameters, so stored values are clamped as a
      // restored sound's are.
      pos = UnserializeState(chunk, pos);
      preset->mChunk.Clear();
      SerializeState(preset->mChunk);
    }
  }
  if (mCurrentPresetIdx >= 0) RecallPreset(mCurrentPresetIdx);
  return end;
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
    preset.mChunk.Clear();
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
