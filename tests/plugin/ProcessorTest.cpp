#include <gtest/gtest.h>

#include <string>

#include "platform/DebugPrint.h"
#include "platform/Random.h"
#include "support/Render.h"

namespace {
constexpr double kRate = 44100.0;

// A plug-in ready to play: rate and block size set, output gain settled so
// that renders can be compared sample for sample.
std::unique_ptr<Vorblex> MakePlug(int blockSize = 512)
{
  auto plug = std::make_unique<Vorblex>();
  plug->SetHostSampleRate(kRate);
  plug->SetHostBlockSize(blockSize);
  RenderFrames(*plug, 4000, blockSize);
  return plug;
}
}  // namespace

TEST(Processor, OnsetsAreSampleAccurate)
{
  auto reference = MakePlug();
  Stereo at0 = RenderFrames(*reference, 2048, 512, {NoteOn(0, 69)});
  const int base = FirstNonZero(at0.left);
  ASSERT_GE(base, 0);
  for (int k : {1, 37, 511, 512, 700}) {
    auto plug = MakePlug();
    Stereo s = RenderFrames(*plug, 2048, 512, {NoteOn(k, 69)});
    EXPECT_EQ(FirstNonZero(s.left), base + k) << "offset " << k;
    for (int i = 0; i + k < 2048; i += 97) EXPECT_NEAR(s.left[i + k], at0.left[i], 1e-9) << k << " " << i;
  }
}

TEST(Processor, InitialSoundIsATriangleAtTheInstrumentsTuning)
{
  auto plug = MakePlug();
  Stereo s = RenderFrames(*plug, 44100, 512, {NoteOn(0, 69)});
  // Voices apply the cents factor even at 0 cents: note 69 sounds at
  // 440 * FastPow(2, 0)^2 = 414.86 Hz.
  EXPECT_NEAR(ZeroCrossingHz(s.left, 4410, 44100, kRate), 440.0 * 0.9710078239440918 * 0.9710078239440918, 0.3);
  EXPECT_EQ(s.left, s.right);
  const double gain = std::pow(10.0, -6.0 / 20.0);
  EXPECT_GT(Peak(s.left, 4410), 0.5 * gain);
  EXPECT_LE(Peak(s.left), 2.0 * gain);
}

TEST(Processor, PitchJumpNotesAreScheduledAcrossBlocks)
{
  auto plug = MakePlug();
  SetParam(*plug, kPitchJumpDelay, 0.5);
  SetParam(*plug, kPitchJumpTime, 0.25);
  SetParam(*plug, kPitchJumpTranspose, 12);
  // The note at offset 10 of this block schedules 72 on at 22060 and off at 33085.
  RenderFrames(*plug, 22060, 512, {NoteOn(10, 60)});
  EXPECT_EQ(plug->Voices().ActiveVoiceCount(), 1);
  EXPECT_FALSE(plug->Receiver().IsKeyDown(72));
  RenderFrames(*plug, 1, 1);
  EXPECT_TRUE(plug->Receiver().IsKeyDown(72));
  EXPECT_EQ(plug->Voices().ActiveVoiceCount(), 2);
  RenderFrames(*plug, 33085 - 22061, 300);
  EXPECT_TRUE(plug->Receiver().IsKeyDown(72));
  RenderFrames(*plug, 1, 1);
  EXPECT_FALSE(plug->Receiver().IsKeyDown(72));
  EXPECT_TRUE(plug->Receiver().IsKeyDown(60));
}

TEST(Processor, NoJumpNotesWithoutDelay)
{
  auto plug = MakePlug();
  SetParam(*plug, kPitchJumpTranspose, 12);
  SetParam(*plug, kPitchJumpTrigger, 2);
  RenderFrames(*plug, 512, 512, {NoteOn(0, 60), NoteOff(100, 60)});
  EXPECT_EQ(plug->Receiver().Queue().Pending(), 0);
}

TEST(Processor, JumpOnNoteOffHasFullVelocity)
{
  auto plug = MakePlug();
  SetParam(*plug, kPitchJumpDelay, 0.01);
  SetParam(*plug, kPitchJumpTrigger, 1);
  SetParam(*plug, kPitchJumpTranspose, -5);
  RenderFrames(*plug, 512, 512, {NoteOn(0, 60, 20), NoteOff(200, 60)});
  ASSERT_EQ(plug->Receiver().Queue().Pending(), 2);
  const IMidiMessage& on = plug->Receiver().Queue().PendingAt(0);
  EXPECT_EQ(on.mStatus, 0x90);
  EXPECT_EQ(on.mData1, 55);
  EXPECT_EQ(on.mData2, 127);
  EXPECT_EQ(on.mOffset, 200 + 441 - 512);
}

TEST(Processor, JumpNotesOutsideTheMidiRangeAreDropped)
{
  auto plug = MakePlug();
  SetParam(*plug, kPitchJumpDelay, 0.01);
  SetParam(*plug, kPitchJumpTranspose, 48);
  RenderFrames(*plug, 512, 512, {NoteOn(0, 100)});
  EXPECT_EQ(plug->Receiver().Queue().Pending(), 0);
  SetParam(*plug, kPitchJumpTranspose, -48);
  RenderFrames(*plug, 512, 512, {NoteOn(0, 20)});
  EXPECT_EQ(plug->Receiver().Queue().Pending(), 0);
}

TEST(Processor, UntransposedJumpReleasesTheHeldNote)
{
  auto plug = MakePlug();
  SetParam(*plug, kPitchJumpDelay, 0.01);
  SetParam(*plug, kPitchJumpTime, 0.01);
  RenderFrames(*plug, 441 + 441 + 10, 256, {NoteOn(0, 64)});
  EXPECT_FALSE(plug->Receiver().IsKeyDown(64));  // jump note-off came at 882
  EXPECT_EQ(plug->Voices().ActiveVoiceCount(), 1);  // releasing, not a second voice
}

TEST(Processor, KeyFlagsAreSharedAcrossChannelsAndFourVoicesPlay)
{
  auto plug = MakePlug();
  RenderFrames(*plug, 64, 64, {NoteOn(0, 60, 100, 0), NoteOn(1, 60, 100, 5)});
  EXPECT_EQ(plug->Voices().ActiveVoiceCount(), 1);
  RenderFrames(*plug, 64, 64, {NoteOn(0, 62), NoteOn(0, 64), NoteOn(0, 65), NoteOn(0, 67)});
  EXPECT_EQ(plug->Voices().ActiveVoiceCount(), 4);
  for (int v = 0; v < 4; ++v) EXPECT_NE(plug->Voices().GetVoice(v).Note(), 67);
  // Releasing one voice does not free it for the fifth note until its release ends.
  RenderFrames(*plug, 64, 64, {NoteOff(0, 60)});
  EXPECT_EQ(plug->Voices().ActiveVoiceCount(), 4);
  RenderFrames(*plug, static_cast<int>(kRate * 0.5), 512);
  EXPECT_EQ(plug->Voices().ActiveVoiceCount(), 3);
}

TEST(Processor, EveryMessageIsPassedThru)
{
  auto plug = MakePlug();
  plug->ClearMidiOut();
  const std::vector<IMidiMessage> midi = {
      NoteOn(0, 60), IMidiMessage(3, 0xB2, 7, 100), IMidiMessage(5, 0xE0, 0, 64), IMidiMessage(6, 0xF8, 0, 0),
      IMidiMessage(7, 0xC1, 5, 0), NoteOff(9, 60)};
  RenderFrames(*plug, 64, 64, midi);
  ASSERT_EQ(plug->MidiOut().size(), midi.size());
  for (size_t i = 0; i < midi.size(); ++i) {
    EXPECT_EQ(plug->MidiOut()[i].mOffset, midi[i].mOffset);
    EXPECT_EQ(plug->MidiOut()[i].mStatus, midi[i].mStatus);
    EXPECT_EQ(plug->MidiOut()[i].mData1, midi[i].mData1);
    EXPECT_EQ(plug->MidiOut()[i].mData2, midi[i].mData2);
  }
}

TEST(Processor, ProgramChangeOnlyPrintsItsNumber)
{
  static std::string line;
  SetDebugSink([](const char* l) { line = l; });
  auto plug = MakePlug();
  RenderFrames(*plug, 64, 64, {IMidiMessage(0, 0xC3, 42, 0)});
  SetDebugSink(nullptr);
  EXPECT_EQ(line, "mudou 42\r\n");
  EXPECT_EQ(plug->Voices().ActiveVoiceCount(), 0);
}

TEST(Processor, OneOutputLeavesTheSecondUntouched)
{
  auto plug = MakePlug();
  plug->ConnectOutputs(1);
  std::vector<double> left(256, 0.0), right(256, 123.0);
  double* outs[2] = {left.data(), right.data()};
  plug->AddMidi(NoteOn(0, 60));
  plug->ProcessBlock(outs, 2, 256);
  EXPECT_GT(Peak(left), 0.0);
  for (double v : right) EXPECT_EQ(v, 123.0);
}

TEST(Processor, GainFadesInFromSilence)
{
  Vorblex plug;
  plug.SetHostSampleRate(kRate);
  const double target = std::pow(10.0, -6.0 / 20.0);
  RenderFrames(plug, 1, 1);
  EXPECT_NEAR(plug.CurrentGain(), 0.01 * target, 1e-15);
  RenderFrames(plug, 99, 99);
  EXPECT_NEAR(plug.CurrentGain(), (1.0 - std::pow(0.99, 100)) * target, 1e-12);
}

TEST(Processor, OutputNeverExceedsTwiceTheGain)
{
  auto plug = MakePlug();
  SetParam(*plug, kOutputGain, 12.0);
  for (int i : {kOsc1Level, kOsc2Level, kOsc3Level, kWhiteLevel, kPinkLevel}) SetParam(*plug, i, 0.0);
  SetParam(*plug, kOsc2Type, 4);
  SetParam(*plug, kOsc3Type, 6);
  SetParam(*plug, kFilterLPResonance, 6.0);
  SetParam(*plug, kFilterLPCutoff, 2000.0);
  SetParam(*plug, kCompressionFactor, 1.0);
  RenderFrames(*plug, 2000, 512);
  Stereo s = RenderFrames(*plug, 22050, 512, {NoteOn(0, 40), NoteOn(0, 52), NoteOn(0, 64), NoteOn(0, 76)});
  const double gain = std::pow(10.0, 12.0 / 20.0);
  EXPECT_GT(Peak(s.left), 0.5 * gain);
  EXPECT_LE(Peak(s.left), 2.0 * gain * (1.0 + 1e-12));
}

TEST(Processor, OutputDoesNotDependOnHowBlocksAreCut)
{
  auto configure = [](Vorblex& plug) {
    SetParam(plug, kWhiteLevel, -12.0);
    SetParam(plug, kPinkLevel, -12.0);
    SetParam(plug, kOsc2Type, 4);
    SetParam(plug, kOsc2Level, -6.0);
    SetParam(plug, kPitchJumpDelay, 0.02);
    SetParam(plug, kPitchJumpTranspose, 7);
    SetParam(plug, kBitCrushPosition, 1);
    SetParam(plug, kBitCrushSampleRate, 8000);
    SetParam(plug, kFilterLPCutoff, 3000);
    SetParam(plug, kFilterLPEnvDepth, 0.5);
  };
  const std::vector<IMidiMessage> midi = {NoteOn(3, 60), NoteOn(900, 67), NoteOff(2000, 60), NoteOn(2500, 48),
                                          NoteOff(5000, 67)};
  const int n = 8192;
  std::vector<double> reference;
  for (int block : {n, 1, 7, 64, 333, 4096}) {
    Vorblex plug;
    plug.SetHostSampleRate(kRate);
    plug.SetHostBlockSize(block);
    configure(plug);
    RandomSeed(99);  // the noise sources draw from this thread's sequence
    Stereo s = RenderFrames(plug, n, block, midi);
    if (reference.empty()) {
      reference = s.left;
      EXPECT_GT(Peak(reference), 0.01);
    } else {
      EXPECT_EQ(s.left, reference) << "block size " << block;
    }
  }
}

TEST(Processor, ZeroFrameBlocksChangeNothing)
{
  auto plug = MakePlug();
  plug->AddMidi(NoteOn(0, 60));
  double* outs[2] = {nullptr, nullptr};
  plug->ProcessBlock(outs, 2, 0);
  EXPECT_EQ(plug->Voices().ActiveVoiceCount(), 0);
  const double gain = plug->CurrentGain();
  RenderFrames(*plug, 16, 16);
  EXPECT_EQ(plug->Voices().ActiveVoiceCount(), 1);  // the pending note plays in the next real block
  EXPECT_NE(plug->CurrentGain(), gain + 1.0);
}

TEST(Processor, StateRoundTripAndShortState)
{
  Vorblex a;
  for (int i = 0; i < kParamCount; ++i) {
    a.GetParameter(i)->SetNormalized(0.13 + 0.013 * i);
    a.OnParameterChange(i);
  }
  IStateChunk chunk;
  ASSERT_TRUE(a.SerializeState(chunk));
  ASSERT_EQ(chunk.Size(), 484);
  int32_t version = 0;
  chunk.GetInt(&version, 0);
  EXPECT_EQ(version, 0x00010001);
  EXPECT_TRUE(a.CompareState(chunk.Data(), 0));

  Vorblex b;
  EXPECT_FALSE(b.CompareState(chunk.Data(), 0));
  EXPECT_EQ(b.UnserializeState(chunk, 0), 484);
  for (int i = 0; i < kParamCount; ++i) EXPECT_EQ(b.GetParameter(i)->Value(), a.GetParameter(i)->Value()) << i;
  EXPECT_DOUBLE_EQ(b.MutationAmount(), a.GetParameter(kMutationPercent)->Value() / 100.0);

  // A cut state changes nothing: every value keeps its default.
  Vorblex c;
  chunk.Resize(483);
  EXPECT_EQ(c.UnserializeState(chunk, 0), -1);
  for (int i = 0; i < kParamCount; ++i) EXPECT_EQ(c.GetParameter(i)->Value(), c.GetParameter(i)->Default()) << i;
  EXPECT_DOUBLE_EQ(c.MutationAmount(), 0.05);
  EXPECT_EQ(c.UnserializeState(chunk, -4), -1);
  chunk.Resize(3);
  EXPECT_EQ(c.UnserializeState(chunk, 0), -1);
}

TEST(Processor, PlaysInTuneBeforeTheHostSetsARate)
{
  // No rate, no block size: the instrument runs at 44100 Hz as constructed.
  Vorblex plug;
  Stereo s = RenderFrames(plug, 44100, 512, {NoteOn(0, 69)});
  EXPECT_NEAR(ZeroCrossingHz(s.left, 4410, 44100, kRate), 440.0 * 0.9710078239440918 * 0.9710078239440918, 0.3);
  // The same note a host-prepared instance plays, sample for sample.
  auto prepared = std::make_unique<Vorblex>();
  prepared->SetHostSampleRate(kRate);
  prepared->SetHostBlockSize(512);
  Stereo t = RenderFrames(*prepared, 44100, 512, {NoteOn(0, 69)});
  EXPECT_EQ(s.left, t.left);
}

TEST(Processor, ConstructionLeavesPresetZeroWithTheInitialSound)
{
  Vorblex plug;
  EXPECT_STREQ(plug.PresetName(0), "-");
  SetParam(plug, kOsc1Type, 4);
  EXPECT_TRUE(plug.RecallPreset(0));
  EXPECT_EQ(plug.GetParameter(kOsc1Type)->Value(), 1.0);
}

TEST(Processor, SilenceAfterASoundIsExactEvenWithFullCompression)
{
  auto plug = MakePlug();
  SetParam(*plug, kCompressionFactor, 1.0);
  SetParam(*plug, kAmpEnvRelease, 0.01);
  Stereo s = RenderFrames(*plug, 44100, 512, {NoteOn(0, 60), NoteOff(2000, 60)});
  EXPECT_EQ(plug->Voices().ActiveVoiceCount(), 0);
  // The decimator's rounding residue would otherwise sit near -60 dBFS here.
  EXPECT_EQ(Peak(s.left, 22050), 0.0);
}

TEST(Processor, InstancesAtDifferentRatesKeepTheirOwnTuning)
{
  Vorblex a, b;
  a.SetHostSampleRate(44100);
  b.SetHostSampleRate(96000);
  Stereo sa = RenderFrames(a, 44100, 512, {NoteOn(0, 69)});
  Stereo sb = RenderFrames(b, 96000, 512, {NoteOn(0, 69)});
  const double expected = 440.0 * 0.9710078239440918 * 0.9710078239440918;
  EXPECT_NEAR(ZeroCrossingHz(sa.left, 4410, 44100, 44100), expected, 0.3);
  EXPECT_NEAR(ZeroCrossingHz(sb.left, 9600, 96000, 96000), expected, 0.3);
}
