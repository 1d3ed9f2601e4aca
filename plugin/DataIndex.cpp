// The history of sounds: every generated or mutated sound is appended; the
// user steps through it and can overwrite the entry shown.
#include <cstdio>

#include "editor/IGraphics.h"
#include "editor/ITextControlBitmapFont.h"
#include "plugin/Vorblex.h"

void Vorblex::SaveData()
{
  if (!Graphics()) return;
  SoundEntry entry;
  {
    MutexLock lock(Mutex());
    for (int i = 0; i < kParamCount; ++i) entry[static_cast<size_t>(i)] = GetParameter(i)->GetNormalized();
  }
  if (mDataList.empty() || mDataIndex == static_cast<int>(mDataList.size())) {
    mDataList.push_back(entry);
  } else {
    mDataList[static_cast<size_t>(mDataIndex)] = entry;
  }
}

void Vorblex::AppendData()
{
  mDataIndex = static_cast<int>(mDataList.size());
  SaveData();
  ShowDataIndex();
}

void Vorblex::LoadData()
{
  if (!Graphics() || mDataIndex < 0 || mDataIndex >= static_cast<int>(mDataList.size())) return;
  // Copied: each step may run the host's code, which must not see the list
  // change under it.
  const SoundEntry entry = mDataList[static_cast<size_t>(mDataIndex)];
  for (int i = 0; i < kParamCount; ++i) DeliverStep(i, entry[static_cast<size_t>(i)]);
}

void Vorblex::PreviousData()
{
  if (mDataIndex <= 0) return;
  --mDataIndex;
  LoadData();
  ShowDataIndex();
}

void Vorblex::NextData()
{
  if (mDataIndex >= static_cast<int>(mDataList.size()) - 1) return;
  ++mDataIndex;
  LoadData();
  ShowDataIndex();
}

void Vorblex::ShowDataIndex()
{
  char text[32];
  std::snprintf(text, sizeof text, "%d", mDataIndex);
  if (mDataIndexText) mDataIndexText->SetTextFromPlugin(text);
}
