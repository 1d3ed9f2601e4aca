// State chunks: their bytes, round trips of programs and banks, chunks with
// and without the header, cut short, too long, corrupt, and the sizes and
// pointers a host must not be trusted with.
#include "tests/hosts/vst2/Fixtures.h"

#include <climits>
#include <cmath>
#include <limits>

namespace vst2host {
namespace {

using Vst2Chunks = StartedPlugin;

// A sound different from the defaults in every parameter.
std::vector<double> OtherValues()
{
  std::vector<double> values;
  for (int i = 0; i < kParamCount; ++i)
    values.push_back(RealFromNormalized(i, 0.75));
  return values;
}

void ExpectParametersAre(Plugin& plugin, const std::vector<double>& values)
{
  for (int i = 0; i < kParamCount; ++i) {
    SCOPED_TRACE(kParams[i].name);
    EXPECT_NEAR(plugin.Get(i), NormalizedFromReal(i, values[static_cast<std::size_t>(i)]), 1e-6);
  }
}

void ExpectStateBytes(const std::vector<unsigned char>& chunk, std::size_t at, const std::vector<double>& values)
{
  ASSERT_GE(chunk.size(), at + kStateSize);
  EXPECT_EQ(ReadU32(chunk, at), static_cast<std::uint32_t>(kPluginVersion));
  for (int i = 0; i < kParamCount; ++i) {
    SCOPED_TRACE(kParams[i].name);
    EXPECT_EQ(ReadDouble(chunk, at + 4 + 8 * static_cast<std::size_t>(i)), values[static_cast<std::size_t>(i)]);
  }
}

TEST_F(Vst2Chunks, ProgramChunkIsHeaderAndState)
{
  std::intptr_t result = 0;
  std::vector<unsigned char> chunk = plugin->GetChunk(false, &result);
  EXPECT_EQ(result, kProgramChunkSize);
  ASSERT_EQ(chunk.size(), static_cast<std::size_t>(kProgramChunkSize));
  const unsigned char header[8] = {0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00};
  EXPECT_TRUE(std::equal(header, header + 8, chunk.begin()));
  ExpectStateBytes(chunk, kChunkHeaderSize, DefaultValues());
  for (int index : {2, -1, INT_MAX}) {
    void* data = nullptr;
    EXPECT_EQ(plugin->Dispatch(vst2::op::kGetChunk, index, 0, &data), kProgramChunkSize)
        << "every index but 0 is a program, " << index;
  }
}

TEST_F(Vst2Chunks, BankChunkIsHeaderAndPresetList)
{
  std::intptr_t result = 0;
  std::vector<unsigned char> chunk = plugin->GetChunk(true, &result);
  EXPECT_EQ(result, kBankChunkSize);
  ASSERT_EQ(chunk.size(), static_cast<std::size_t>(kBankChunkSize));
  EXPECT_EQ(ReadU32(chunk, 0), kChunkMagic);
  EXPECT_EQ(ReadU32(chunk, 4), kChunkHeaderVersion);
  EXPECT_EQ(ReadU32(chunk, 8), 1u) << "name length";
  EXPECT_EQ(chunk[12], '-');
  EXPECT_EQ(chunk[13], 1) << "initialised";
  ExpectStateBytes(chunk, 14, DefaultValues());

  char name[] = "Boing";
  plugin->Dispatch(vst2::op::kSetProgramName, 0, 0, name);
  plugin->Set(0, 1.0f);
  chunk = BankChunk();
  ASSERT_EQ(chunk.size(), static_cast<std::size_t>(kBankChunkSize + 4));
  EXPECT_EQ(ReadU32(chunk, 8), 5u);
  EXPECT_EQ(std::string(chunk.begin() + 12, chunk.begin() + 17), "Boing");
  EXPECT_EQ(ReadDouble(chunk, 17 + 1 + 4), 12.0) << "the bank holds the current sound";
}

TEST_F(Vst2Chunks, GetChunkWithoutPointer)
{
  EXPECT_EQ(plugin->Dispatch(vst2::op::kGetChunk, 0, 0, nullptr), 0);
  EXPECT_EQ(plugin->Dispatch(vst2::op::kGetChunk, 1, 0, nullptr), 0);
}

TEST_F(Vst2Chunks, BytesStayValidUntilTheNextGetOfTheSameChunk)
{
  void* program = nullptr;
  void* bank = nullptr;
  std::intptr_t programSize = plugin->Dispatch(vst2::op::kGetChunk, 1, 0, &program);
  ASSERT_EQ(programSize, kProgramChunkSize);
  std::vector<unsigned char> copy(static_cast<unsigned char*>(program),
                                  static_cast<unsigned char*>(program) + programSize);
  plugin->Set(0, 0.0f);
  ASSERT_EQ(plugin->Dispatch(vst2::op::kGetChunk, 0, 0, &bank), kBankChunkSize);
  EXPECT_NE(program, bank);
  EXPECT_TRUE(std::equal(copy.begin(), copy.end(), static_cast<unsigned char*>(program)));
}

// Hosts may hand back the pointer they were given, unchanged.
TEST_F(Vst2Chunks, SetWithTheBytesGetReturned)
{
  for (bool bank : {false, true}) {
    SCOPED_TRACE(bank ? "bank" : "program");
    ASSERT_EQ(plugin->SetChunk(false, MakeState(OtherValues(), true)), 1);
    void* data = nullptr;
    std::intptr_t size = plugin->Dispatch(vst2::op::kGetChunk, bank ? 0 : 1, 0, &data);
    ASSERT_GT(size, 0);
    std::vector<unsigned char> copy(static_cast<unsigned char*>(data), static_cast<unsigned char*>(data) + size);
    plugin->Set(0, 0.0f);
    plugin->Set(1, 0.0f);
    EXPECT_EQ(plugin->SetChunk(bank, data, size), 1);
    ExpectParametersAre(*plugin, OtherValues());
    EXPECT_TRUE(std::equal(copy.begin(), copy.end(), static_cast<unsigned char*>(data)))
        << "the bytes handed out stay as they were";
  }
}

TEST_F(Vst2Chunks, ProgramRoundTrip)
{
  std::vector<unsigned char> saved = ProgramChunk();
  for (int i = 0; i < kParamCount; ++i)
    plugin->Set(i, 0.75f);
  EXPECT_EQ(plugin->SetChunk(false, saved), 1);
  ExpectParametersAre(*plugin, DefaultValues());
  EXPECT_EQ(ProgramChunk(), saved);

  // And back to a non-default sound given as values.
  EXPECT_EQ(plugin->SetChunk(false, MakeState(OtherValues(), true)), 1);
  ExpectParametersAre(*plugin, OtherValues());
  ExpectStateBytes(ProgramChunk(), kChunkHeaderSize, OtherValues());
}

TEST_F(Vst2Chunks, StateWithoutHeaderIsReadFromTheStart)
{
  std::vector<unsigned char> bare = MakeState(OtherValues(), false);
  ASSERT_EQ(bare.size(), static_cast<std::size_t>(kStateSize));
  EXPECT_EQ(plugin->SetChunk(false, bare), 1);
  ExpectParametersAre(*plugin, OtherValues());

  EXPECT_EQ(plugin->SetChunk(true, MakeState(DefaultValues(), false)), 1) << "a bank without header is a state";
  ExpectParametersAre(*plugin, DefaultValues());
}

TEST_F(Vst2Chunks, BankRoundTrip)
{
  std::vector<unsigned char> saved = BankChunk();
  char name[] = "Other";
  plugin->Dispatch(vst2::op::kSetProgramName, 0, 0, name);
  for (int i = 0; i < kParamCount; ++i)
    plugin->Set(i, 0.75f);
  EXPECT_EQ(plugin->SetChunk(true, saved), 1);
  EXPECT_EQ(plugin->ProgramName(), "-");
  ExpectParametersAre(*plugin, DefaultValues());
  EXPECT_EQ(BankChunk(), saved);

  // A bank of a renamed, changed sound restores both.
  plugin->Dispatch(vst2::op::kSetProgramName, 0, 0, name);
  plugin->SetChunk(false, MakeState(OtherValues(), true));
  std::vector<unsigned char> other = BankChunk();
  EXPECT_EQ(plugin->SetChunk(true, saved), 1);
  EXPECT_EQ(plugin->SetChunk(true, other), 1);
  EXPECT_EQ(plugin->ProgramName(), "Other");
  ExpectParametersAre(*plugin, OtherValues());
}

TEST_F(Vst2Chunks, ChunksMoveBetweenInstances)
{
  plugin->SetChunk(false, MakeState(OtherValues(), true));
  char name[] = "Moved";
  plugin->Dispatch(vst2::op::kSetProgramName, 0, 0, name);
  std::vector<unsigned char> bank = BankChunk();
  std::vector<unsigned char> program = ProgramChunk();

  Host otherHost;
  auto other = Plugin::Create(otherHost);
  ASSERT_NE(other, nullptr);
  other->Start(48000.0f, 256);
  EXPECT_EQ(other->SetChunk(true, bank), 1);
  EXPECT_EQ(other->ProgramName(), "Moved");
  ExpectParametersAre(*other, OtherValues());
  EXPECT_EQ(other->GetChunk(false), program);
}

// A load that fails changes nothing: not the sound, not the program the host
// saves next, not the bank.
TEST_F(Vst2Chunks, TruncatedStateChangesNothing)
{
  plugin->Set(0, 0.25f);
  const std::vector<unsigned char> programBefore = ProgramChunk();
  const std::vector<unsigned char> bankBefore = BankChunk();
  std::vector<float> valuesBefore;
  for (int i = 0; i < kParamCount; ++i) valuesBefore.push_back(plugin->Get(i));
  for (bool header : {true, false}) {
    const std::vector<unsigned char> chunk = MakeState(OtherValues(), header);
    const std::size_t start = header ? kChunkHeaderSize : 0;
    for (std::size_t size : {chunk.size() - 1, start + 4 + 8 * 10 + 3, start + 11, start + 4, start + 1}) {
      SCOPED_TRACE(testing::Message() << (header ? "with header " : "without header ") << size);
      std::vector<unsigned char> cut(chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(size));
      EXPECT_EQ(plugin->SetChunk(false, cut), 0);
      for (int i = 0; i < kParamCount; ++i) EXPECT_EQ(plugin->Get(i), valuesBefore[static_cast<std::size_t>(i)]) << i;
      EXPECT_EQ(ProgramChunk(), programBefore);
      EXPECT_EQ(BankChunk(), bankBefore);
    }
  }
}

TEST_F(Vst2Chunks, TruncatedBankFailsAndChangesNothing)
{
  const std::vector<unsigned char> bank = BankChunk();
  plugin->SetChunk(false, MakeState(OtherValues(), true));
  char name[] = "Mine";
  plugin->Dispatch(vst2::op::kSetProgramName, 0, 0, name);
  const std::vector<unsigned char> programBefore = ProgramChunk();
  const std::vector<unsigned char> bankBefore = BankChunk();
  for (std::size_t size : {std::size_t(9), std::size_t(12), std::size_t(13), std::size_t(100), bank.size() - 1}) {
    SCOPED_TRACE(size);
    std::vector<unsigned char> cut(bank.begin(), bank.begin() + static_cast<std::ptrdiff_t>(size));
    EXPECT_EQ(plugin->SetChunk(true, cut), 0);
    EXPECT_EQ(ProgramChunk(), programBefore);
    EXPECT_EQ(BankChunk(), bankBefore);
    EXPECT_EQ(plugin->ProgramName(), "Mine");
  }
  ExpectParametersAre(*plugin, OtherValues());
}

TEST_F(Vst2Chunks, ExtraBytesAreIgnored)
{
  std::vector<unsigned char> program = MakeState(OtherValues(), true);
  program.resize(program.size() + 1000, 0xEE);
  EXPECT_EQ(plugin->SetChunk(false, program), 1);
  ExpectParametersAre(*plugin, OtherValues());

  plugin->SetChunk(false, MakeState(DefaultValues(), true));
  std::vector<unsigned char> bank = BankChunk();
  plugin->SetChunk(false, MakeState(OtherValues(), true));
  bank.resize(bank.size() + 4096, 0x11);
  EXPECT_EQ(plugin->SetChunk(true, bank), 1);
  ExpectParametersAre(*plugin, DefaultValues());
}

TEST_F(Vst2Chunks, ValuesOutsideTheRangesAreClamped)
{
  std::vector<double> high(kParamCount, 1e9), low(kParamCount, -1e9);
  EXPECT_EQ(plugin->SetChunk(false, MakeState(high, true)), 1);
  for (int i = 0; i < kParamCount; ++i)
    EXPECT_EQ(plugin->Get(i), 1.0f) << kParams[i].name;
  EXPECT_EQ(plugin->Display(0), "12.0");
  EXPECT_EQ(plugin->SetChunk(false, MakeState(low, true)), 1);
  for (int i = 0; i < kParamCount; ++i)
    EXPECT_EQ(plugin->Get(i), 0.0f) << kParams[i].name;
  EXPECT_EQ(plugin->Display(40), "0.0");
}

// A state holding a value that is not a finite number is refused whole.
TEST_F(Vst2Chunks, InfiniteValuesRefuseTheWholeState)
{
  EXPECT_EQ(plugin->SetChunk(false, MakeState(OtherValues(), true)), 1);
  const std::vector<unsigned char> before = ProgramChunk();
  for (double inf : {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()}) {
    SCOPED_TRACE(inf);
    std::vector<double> values = DefaultValues();
    values[kParamCount - 1] = inf;
    EXPECT_EQ(plugin->SetChunk(false, MakeState(values, true)), 0);
    ExpectParametersAre(*plugin, OtherValues());
    EXPECT_EQ(ProgramChunk(), before);
  }
}

// A chunk the host hands over with a size or pointer that cannot be right
// is refused whole.
TEST_F(Vst2Chunks, ImpossibleSizesAndPointersChangeNothing)
{
  std::vector<unsigned char> valid = MakeState(OtherValues(), true);
  std::vector<unsigned char> programBefore = ProgramChunk();
  std::vector<unsigned char> bankBefore = BankChunk();
  const std::intptr_t sixteenMiB = std::intptr_t(16) * 1024 * 1024;
  const std::intptr_t sizes[] = {-1, -492, std::numeric_limits<std::intptr_t>::min(), 0, sixteenMiB + 1,
                                 std::numeric_limits<std::intptr_t>::max()};
  for (bool bank : {false, true}) {
    for (std::intptr_t size : sizes) {
      SCOPED_TRACE(testing::Message() << (bank ? "bank " : "program ") << size);
      EXPECT_EQ(plugin->SetChunk(bank, valid.data(), size), 0);
      EXPECT_EQ(ProgramChunk(), programBefore);
    }
    SCOPED_TRACE("null pointer");
    EXPECT_EQ(plugin->SetChunk(bank, nullptr, static_cast<std::intptr_t>(valid.size())), 0);
    EXPECT_EQ(plugin->SetChunk(bank, nullptr, 0), 0);
    EXPECT_EQ(ProgramChunk(), programBefore);
  }
  EXPECT_EQ(BankChunk(), bankBefore);
  EXPECT_EQ(plugin->ProgramName(), "-");
}

TEST_F(Vst2Chunks, SixteenMiBIsStillAccepted)
{
  std::vector<unsigned char> big = MakeState(OtherValues(), true);
  big.resize(std::size_t(16) * 1024 * 1024, 0);
  EXPECT_EQ(plugin->SetChunk(false, big), 1);
  ExpectParametersAre(*plugin, OtherValues());
}

TEST_F(Vst2Chunks, GarbageInsteadOfABank)
{
  // A program chunk handed over as a bank is read as a preset list and fails.
  std::vector<unsigned char> program = MakeState(OtherValues(), true);
  EXPECT_EQ(plugin->SetChunk(true, program), 0);
  for (int i = 0; i < kParamCount; ++i) {
    float v = plugin->Get(i);
    EXPECT_TRUE(v >= 0.0f && v <= 1.0f) << kParams[i].name;
  }
  // A header of another version in front of a state.
  std::vector<unsigned char> older = MakeState(OtherValues(), true);
  WriteU32(older, 4, 0x00000001);
  EXPECT_EQ(plugin->SetChunk(false, older), 1) << "a program chunk ignores the header version";
  ExpectParametersAre(*plugin, OtherValues());
}

// Values that are not numbers must not reach the parameters or the sound:
// the state is refused and the sound stays.
TEST_F(Vst2Chunks, NotANumberInAState)
{
  std::vector<double> values = OtherValues();
  for (double& v : values)
    v = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(plugin->SetChunk(false, MakeState(values, true)), 0);
  ExpectParametersAre(*plugin, DefaultValues());
  for (int i = 0; i < kParamCount; ++i) {
    SCOPED_TRACE(kParams[i].name);
    float v = plugin->Get(i);
    EXPECT_TRUE(v >= 0.0f && v <= 1.0f) << v;
    std::string display = plugin->Display(i);
    EXPECT_EQ(display.find("nan"), std::string::npos) << display;
    EXPECT_EQ(display.find("NAN"), std::string::npos) << display;
  }
  Rendered r = Render(*plugin, {{0, kNoteOn, 60, 100}}, 4096);
  EXPECT_TRUE(AllFinite(r.left));
  EXPECT_LE(PeakAbs(r.left), 8.0);
}

}  // namespace
}  // namespace vst2host
