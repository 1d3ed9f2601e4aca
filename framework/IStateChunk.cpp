#include "framework/IStateChunk.h"

#include <cstring>
#include <limits>

// The byte order of the state format is little-endian; every target we build
// for is too, so values are copied raw.
static_assert(sizeof(double) == 8, "state format stores IEEE doubles");
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
#error "the state format is little-endian"
#endif

bool IStateChunk::PutBytes(const void* data, int size)
{
  if (size < 0 || (size > 0 && !data)) return false;
  if (static_cast<int64_t>(mBytes.size()) + size > std::numeric_limits<int>::max()) return false;
  if (size == 0) return true;
  const size_t at = mBytes.size();
  mBytes.resize(at + static_cast<size_t>(size));
  std::memcpy(mBytes.data() + at, data, static_cast<size_t>(size));
  return true;
}

bool IStateChunk::PutString(const char* s)
{
  size_t n = s ? std::strlen(s) : 0;
  if (n > static_cast<size_t>(std::numeric_limits<int32_t>::max() - 4)) return false;
  return PutInt(static_cast<int32_t>(n)) && PutBytes(s, static_cast<int>(n));
}

int IStateChunk::GetBytes(void* out, int size, int pos) const
{
  if (!Fits(pos, size)) return -1;
  if (size > 0) std::memcpy(out, mBytes.data() + pos, static_cast<size_t>(size));
  return pos + size;
}

int IStateChunk::GetBool(bool* v, int pos) const
{
  uint8_t b = 0;
  int next = GetBytes(&b, 1, pos);
  if (next >= 0) *v = b != 0;
  return next;
}

int IStateChunk::GetString(char* out, int outSize, int pos) const
{
  int32_t n = 0;
  int textPos = GetInt(&n, pos);
  if (textPos < 0 || n < 0) return -1;
  int64_t end = static_cast<int64_t>(textPos) + n;
  if (end > std::numeric_limits<int>::max()) return -1;
  if (n > 0 && Fits(textPos, n) && out && outSize > 0) {
    int copy = n < outSize - 1 ? n : outSize - 1;
    std::memcpy(out, mBytes.data() + textPos, static_cast<size_t>(copy));
    out[copy] = '\0';
  }
  return static_cast<int>(end);
}

void WriteChunkHeader(IStateChunk& chunk)
{
  chunk.Clear();
  chunk.PutInt(kChunkMagic);
  chunk.PutInt(kChunkHeaderVersion);
}

int32_t ReadChunkHeader(const IStateChunk& chunk, int* pos)
{
  int32_t magic = 0;
  if (chunk.GetInt(&magic, *pos) < 0 || magic != kChunkMagic) return 0;
  int32_t version = 0;
  *pos = chunk.GetInt(&version, *pos + 4);
  return *pos < 0 ? 0 : version;
}
