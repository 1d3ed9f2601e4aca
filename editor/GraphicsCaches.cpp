#include "editor/GraphicsCaches.h"

#include <cstring>
#include <memory>
#include <vector>

#include "editor/IGraphicsStructs.h"
#include "editor/raster/LICE_Font.h"
#include "framework/IParameter.h"
#include "platform/Mutex.h"

namespace {
struct BitmapEntry {
  int id;
  std::unique_ptr<LICE_IBitmap> bitmap;
};

struct FontEntry {
  int size;
  int orientation;
  int style;
  char name[kFontNameSize];
  std::unique_ptr<LICE_IFont> font;
};

// Function-local statics: built on first use, destroyed (deleting every entry
// exactly once) when the module goes away.
struct BitmapStore {
  RecursiveMutex lock;
  std::vector<BitmapEntry> entries;
};
struct FontStore {
  RecursiveMutex lock;
  std::vector<FontEntry> entries;
};

BitmapStore& Bitmaps()
{
  static BitmapStore store;
  return store;
}

FontStore& Fonts()
{
  static FontStore store;
  return store;
}

LICE_IBitmap* FindLocked(BitmapStore& store, int id, bool* found)
{
  for (const BitmapEntry& e : store.entries) {
    if (e.id == id) {
      *found = true;
      return e.bitmap.get();
    }
  }
  *found = false;
  return nullptr;
}
}  // namespace

LICE_IBitmap* BitmapCache::FindOrLoad(int id, const std::function<LICE_IBitmap*()>& load)
{
  BitmapStore& store = Bitmaps();
  MutexLock lock(store.lock);
  bool found = false;
  LICE_IBitmap* bitmap = FindLocked(store, id, &found);
  if (found) return bitmap;
  bitmap = load ? load() : nullptr;
  store.entries.push_back(BitmapEntry{id, std::unique_ptr<LICE_IBitmap>(bitmap)});
  return bitmap;
}

LICE_IBitmap* BitmapCache::Find(int id)
{
  BitmapStore& store = Bitmaps();
  MutexLock lock(store.lock);
  bool found = false;
  return FindLocked(store, id, &found);
}

LICE_IFont* FontCache::FindOrCreate(const IText& text)
{
  FontStore& store = Fonts();
  MutexLock lock(store.lock);
  for (const FontEntry& e : store.entries) {
    if (e.size == text.mSize && e.orientation == text.mOrientation && e.style == text.mStyle &&
        std::strncmp(e.name, text.mFont, kFontNameSize) == 0)
      return e.font.get();
  }

  LICE_FontSpec desc;
  desc.height = text.mSize;
  desc.orientation = text.mOrientation;
  desc.bold = text.mStyle == IText::kStyleBold;
  desc.italic = text.mStyle == IText::kStyleItalic;
  desc.quality = text.mQuality;
  desc.face = text.mFont;
  LICE_HFONT native = LICE_CreateNativeFont(desc);
  if (!native) return nullptr;

  auto font = std::make_unique<LICE_CachedFont>();
  font->SetFromNativeFont(native, kFontFlagOwnsNative | kFontFlagAllowNative);
  FontEntry entry{text.mSize, text.mOrientation, text.mStyle, {}, std::move(font)};
  CopyText(entry.name, text.mFont, kFontNameSize);
  store.entries.push_back(std::move(entry));
  return store.entries.back().font.get();
}

int FontCache::Count()
{
  FontStore& store = Fonts();
  MutexLock lock(store.lock);
  return static_cast<int>(store.entries.size());
}
