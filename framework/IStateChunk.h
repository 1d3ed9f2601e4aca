#pragma once
// Growable little-endian byte buffer for saved state. Values are appended at the
// end and read at a caller-held position; a read returns the position after the
// value, or -1 when the position is negative or the value does not fit, and a
// failed read leaves its destination unchanged. Position arithmetic never
// overflows: hosts hand us chunks of any size and content.
#include <cstddef>
#include <cstdint>
#include <vector>

class IStateChunk {
public:
  bool PutInt(int32_t v) { return PutBytes(&v, sizeof v); }
  bool PutDouble(double v) { return PutBytes(&v, sizeof v); }
  bool PutBool(bool v)
  {
    uint8_t b = v ? 1 : 0;
    return PutBytes(&b, 1);
  }
  // 32-bit length, then the bytes without a terminator.
  bool PutString(const char* s);
  bool PutBytes(const void* data, int size);
  bool PutChunk(const IStateChunk& other) { return PutBytes(other.Data(), other.Size()); }

  int GetInt(int32_t* v, int pos) const { return GetBytes(v, sizeof *v, pos); }
  int GetDouble(double* v, int pos) const { return GetBytes(v, sizeof *v, pos); }
  int GetBool(bool* v, int pos) const;
  // Reads into out (outSize bytes including the terminator). Fails (-1) when
  // the length does not fit or is negative; otherwise returns pos + 4 + n even
  // when the text itself does not fit, and only replaces out when n > 0 and the
  // text fits.
  int GetString(char* out, int outSize, int pos) const;
  int GetBytes(void* out, int size, int pos) const;

  void Clear() { mBytes.clear(); }
  // New bytes are zero.
  void Resize(int size) { mBytes.resize(size > 0 ? static_cast<size_t>(size) : 0); }
  int Size() const { return static_cast<int>(mBytes.size()); }
  const uint8_t* Data() const { return mBytes.data(); }
  uint8_t* Data() { return mBytes.data(); }

private:
  // The value of size bytes at pos fits before the end.
  bool Fits(int pos, int size) const
  {
    return pos >= 0 && size >= 0 && static_cast<int64_t>(pos) + size <= static_cast<int64_t>(mBytes.size());
  }
  std::vector<uint8_t> mBytes;
};

// The eight-byte header in front of VST2 chunks.
constexpr int32_t kChunkMagic = 0x70666674;
constexpr int32_t kChunkHeaderVersion = 0x00010000;
constexpr int kChunkHeaderSize = 8;

// Clears the chunk and appends the magic and the header version.
void WriteChunkHeader(IStateChunk& chunk);
// Returns the header version and moves *pos past the header; 0 with *pos
// unchanged when there is no magic at *pos; 0 with *pos = -1 when the version
// cannot be read.
int32_t ReadChunkHeader(const IStateChunk& chunk, int* pos);
