#include "editor/headless/IGraphicsHeadless.h"

#include <cstring>

#include "editor/raster/LICE_Png.h"

IGraphicsHeadless::IGraphicsHeadless(IPlugBase* plug, int width, int height, int fps)
    : IGraphics(plug, width, height, fps)
{
}

IGraphicsHeadless::~IGraphicsHeadless() { CloseWindow(); }

void IGraphicsHeadless::RegisterPng(int id, std::vector<unsigned char> bytes) { mPngs[id] = std::move(bytes); }

void IGraphicsHeadless::RegisterPixels(int id, int width, int height, std::vector<LICE_pixel> pixels)
{
  pixels.resize(static_cast<size_t>(width > 0 && height > 0 ? width * height : 0));
  mPixels[id] = Pixels{width, height, std::move(pixels)};
}

LICE_IBitmap* IGraphicsHeadless::LoadPlatformBitmap(int id, const char* fileName)
{
  if (!HasPngExtension(fileName)) return nullptr;
  auto pixels = mPixels.find(id);
  if (pixels != mPixels.end()) {
    const Pixels& p = pixels->second;
    auto* bitmap = new LICE_MemBitmap(p.width, p.height);
    if (!bitmap->GetBits()) return bitmap;
    for (int y = 0; y < p.height; ++y)
      std::memcpy(LICE_Row(bitmap, y), &p.data[static_cast<size_t>(y) * p.width], sizeof(LICE_pixel) * p.width);
    return bitmap;
  }
  auto png = mPngs.find(id);
  if (png != mPngs.end()) return LoadPngFromMemory(png->second.data(), png->second.size());
  return LoadPngResource(id, fileName);
}

bool IGraphicsHeadless::Tick()
{
  IRect dirty;
  if (!CollectDirtyRect(&dirty)) return false;
  Draw(dirty);
  return true;
}

bool IGraphicsHeadless::PresentToScreen(const IRect& rect)
{
  mPresented.push_back(rect);
  return true;
}

void IGraphicsHeadless::CancelTextEntry() { mTextEntryOpen = false; }

bool IGraphicsHeadless::CommitTextEntry(const char* text)
{
  if (!mTextEntryOpen || mTextEntryRecords.empty()) return false;
  mTextEntryOpen = false;
  const TextEntryRecord& entry = mTextEntryRecords.back();
  // The native field accepts at most its control's length.
  std::string typed = text ? text : "";
  if (entry.maxLength >= 0 && typed.size() > static_cast<size_t>(entry.maxLength)) typed.resize(entry.maxLength);
  ApplyTextEntry(entry.control, entry.param, typed.c_str());
  return true;
}

int IGraphicsHeadless::ShowMessageBox(const char* text, const char*, int)
{
  mMessages.push_back(text ? text : "");
  return mMessageBoxResult;
}

IPopupMenu* IGraphicsHeadless::ShowPopupMenu(IPopupMenu* menu, const IRect& rect)
{
  SetMouseCapture(-1);
  SetMousePosition(-1, -1);
  if (!menu) return nullptr;

  MenuRecord record;
  record.rect = rect;
  for (int i = 0; i < menu->NItems(); ++i) {
    record.texts.push_back(menu->ItemText(i));
    record.flags.push_back(menu->GetItem(i)->mFlags);
  }
  mMenus.push_back(record);

  int choice = -1;
  if (!mMenuChoices.empty()) {
    choice = mMenuChoices.front();
    mMenuChoices.pop_front();
  }
  int itemIdx = -1;
  IPopupMenu* chosen = menu->MenuForCommandId(choice, &itemIdx);
  if (!chosen) return nullptr;
  // Only what a native menu lets the user pick: no separators, titles,
  // disabled entries or submenu headers.
  const IPopupMenu::Item* item = chosen->GetItem(itemIdx);
  const int blocked = IPopupMenu::kItemDisabled | IPopupMenu::kItemTitle | IPopupMenu::kItemSeparator;
  if (!item || (item->mFlags & blocked) || item->mSubmenu) return nullptr;
  chosen->SetChosenItemIdx(itemIdx);
  return chosen;
}

void IGraphicsHeadless::ShowTextEntry(IControl* control, const IText&, const IRect& rect, const char* initial,
                                      IParameter* param)
{
  if (!control || mTextEntryOpen) return;
  mTextEntryRecords.push_back(
      TextEntryRecord{control, rect, initial ? initial : "", param, control->GetTextEntryLength()});
  mTextEntryOpen = true;
  if (!mTextEntries.empty()) {
    const std::string text = mTextEntries.front();
    mTextEntries.pop_front();
    CommitTextEntry(text.c_str());
  }
}

void IGraphicsHeadless::PromptForFile(std::string& fileName, int, std::string&, const char*) { fileName.clear(); }

bool IGraphicsHeadless::OpenUrl(const char* url, const char*, const char*, const char*)
{
  mUrls.push_back(url ? url : "");
  return false;
}

void* IGraphicsHeadless::OpenWindow(void*)
{
  mWindowOpen = true;
  SetAllControlsDirty();
  return this;
}

bool IGraphicsHeadless::GetTextFromClipboard(std::string& out)
{
  out = mClipboard;
  return !out.empty();
}
