#pragma once
// One short MIDI message as hosts deliver it and the MIDI receiver queues it.
// A plain record kept on the lowest floor, so that the plug-in base, the
// adapters and the DSP's receiver share it without depending on each other.
#include <cstdint>

struct IMidiMessage {
  int32_t mOffset = 0;  // sample offset within the current block
  uint8_t mStatus = 0;
  uint8_t mData1 = 0;
  uint8_t mData2 = 0;

  IMidiMessage() = default;
  IMidiMessage(int32_t offset, uint8_t status, uint8_t data1, uint8_t data2)
      : mOffset(offset), mStatus(status), mData1(data1), mData2(data2)
  {
  }
  int Kind() const { return mStatus >> 4; }
  int Channel() const { return mStatus & 0x0F; }
};
static_assert(sizeof(IMidiMessage) == 8, "queued MIDI messages are 8 bytes");
