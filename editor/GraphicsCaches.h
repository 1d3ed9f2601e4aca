#pragma once
// The two process-wide caches shared by every editor of the module: decoded
// images by resource id and native fonts by style. Each has its own lock
// because editors of several plug-in instances use them at once. Whatever
// they hold is deleted once, when the module is unloaded.
#include <functional>

class LICE_IBitmap;
class LICE_IFont;
struct IText;

namespace BitmapCache {
// The image cached under id; on a miss, load() is called (under the lock, so
// two editors never load the same id twice) and whatever it returns, even
// null, is cached under id from then on.
LICE_IBitmap* FindOrLoad(int id, const std::function<LICE_IBitmap*()>& load);
// The image cached under id, or null (also when null was cached).
LICE_IBitmap* Find(int id);
}  // namespace BitmapCache

namespace FontCache {
// The cached font matching the style's size, orientation, style and exact
// (case-sensitive) font name, created on a miss; null when the platform cannot
// make the font, in which case nothing is cached.
LICE_IFont* FindOrCreate(const IText& text);
int Count();
}  // namespace FontCache
