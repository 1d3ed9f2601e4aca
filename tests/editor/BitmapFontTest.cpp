// Bitmap-font text: the advance tables, the text run, the meter read-out, the
// knob value texts, note names and the text label.
#include <gtest/gtest.h>

#include <string>

#include "editor/BitmapFont.h"
#include "editor/IKnobMultiControlBitmapFont.h"
#include "editor/IKnobMultiControlBitmapFontMidiNote.h"
#include "editor/IPeakMeterBitmapBitmapFont.h"
#include "editor/ITextControlBitmapFont.h"
#include "tests/editor/EditorTestUtil.h"

namespace {
constexpr LICE_pixel kUntouched = 0xFF0A0B0Cu;
constexpr int kGlyphTag = 7;

LICE_pixel Glyph(char c) { return FrameColor(static_cast<unsigned char>(c) - 31, kGlyphTag); }

// Pen positions of each character of a run starting at x.
std::vector<int> PenPositions(const IBitmapFontAdvances& advances, const std::string& text, int x)
{
  std::vector<int> out;
  for (char c : text) {
    out.push_back(x);
    x += advances.Advance(static_cast<unsigned char>(c));
  }
  return out;
}

// Expects each character's glyph at its pen position on row y.
void ExpectRun(IGraphics& g, const IBitmapFontAdvances& advances, const std::string& text, int x, int y)
{
  const std::vector<int> pens = PenPositions(advances, text, x);
  for (size_t i = 0; i < text.size(); ++i) EXPECT_EQ(PixelAt(g, pens[i], y), Glyph(text[i])) << text << " @" << i;
  EXPECT_NE(PixelAt(g, x - 1, y), Glyph(text[0])) << "run starts further left";
}

const IText kStyle(14, nullptr, "Arial");
}  // namespace

TEST(AdvanceTableTest, StatedWidthsAndRunWidth)
{
  EXPECT_EQ(kAdvances14.mCount, 224);
  EXPECT_EQ(TextRunWidth(kAdvances14, " !0123.-I_~"), 7 + 5 + 8 + 7 + 7 + 7 + 5 + 7 + 8 + 9 + 9);
  EXPECT_EQ(TextRunWidth(kAdvances12, " !0789.-A~"), 6 + 4 + 7 + 6 + 6 + 6 + 4 + 6 + 6 + 8);
  // Codes below 32 have no entry; DEL advances nothing; Latin-1 letters do.
  EXPECT_EQ(TextRunWidth(kAdvances14, "\t\x7f"), 0);
  EXPECT_GE(kAdvances14.Advance(0xE9), 3);
  EXPECT_LE(kAdvances12.Advance(0xC6), 12);
}

TEST(PeakMeterTest, ReadOutThresholdAndDecibels)
{
  char text[32];
  IPeakMeterBitmapBitmapFont::FormatLevel(0.0004999, text, sizeof(text));
  EXPECT_STREQ(text, "-A");
  IPeakMeterBitmapBitmapFont::FormatLevel(0.0, text, sizeof(text));
  EXPECT_STREQ(text, "-A");
  IPeakMeterBitmapBitmapFont::FormatLevel(0.0005, text, sizeof(text));
  EXPECT_STREQ(text, "-65.8");
  IPeakMeterBitmapBitmapFont::FormatLevel(1.0, text, sizeof(text));
  EXPECT_STREQ(text, "0.0");
  // The read-out's factor puts one halving at exactly 6 dB.
  IPeakMeterBitmapBitmapFont::FormatLevel(0.5, text, sizeof(text));
  EXPECT_STREQ(text, "-6.0");
  IPeakMeterBitmapBitmapFont::FormatLevel(0.1, text, sizeof(text));
  EXPECT_STREQ(text, "-19.9");
}

TEST(PeakMeterTest, DrawsFrameAndAlignedReadOut)
{
  EditorHarness h(846, 768);
  TestStrip meterL(28, 128, 19, 3), meterR(28, 128, 19, 4), glyphs(9, 12, 224, kGlyphTag);
  auto* left = new IPeakMeterBitmapBitmapFont(&h.plug, meterL.Get(), kStyle, glyphs.Get(), IBlend(), 2, 2,
                                              IRect(760, 100, 788, 242));
  auto* right = new IPeakMeterBitmapBitmapFont(&h.plug, meterR.Get(), kStyle, glyphs.Get(), IBlend(), 1, 0,
                                               IRect(788, 100, 817, 242));
  auto* centred = new IPeakMeterBitmapBitmapFont(&h.plug, meterR.Get(), kStyle, glyphs.Get(), IBlend(), 0, 0,
                                                 IRect(100, 100, 160, 242));
  h.gfx->AttachControl(left);
  h.gfx->AttachControl(right);
  h.gfx->AttachControl(centred);
  h.MakeBitmaps();
  FillDrawBitmap(*h.gfx, kUntouched);

  h.gfx->SetControlValueFromPlugin(0, 0.5);
  h.gfx->SetControlValueFromPlugin(1, 0.0001);
  h.gfx->SetControlValueFromPlugin(2, 3.0);  // clamped to 1
  EXPECT_EQ(centred->GetValue(), 1.0);
  h.gfx->Tick();

  // Left meter: frame for 0.5 is 10; "-6.0" right-aligned 2 px from the edge.
  EXPECT_EQ(PixelAt(*h.gfx, 760, 100), FrameColor(10, 3));
  const int wLeft = TextRunWidth(kAdvances12, "-6.0");
  ExpectRun(*h.gfx, kAdvances12, "-6.0", 788 - 2 - wLeft, 226);
  // Right meter: frame 1, "-A" from its left edge (meter centred: 29 - 28 = 1
  // spare pixel, left at 788).
  EXPECT_EQ(PixelAt(*h.gfx, 788, 100), FrameColor(1, 4));
  ExpectRun(*h.gfx, kAdvances12, "-A", 788, 226);
  // Centred meter: image centred in 60 px, text centred.
  EXPECT_EQ(PixelAt(*h.gfx, 116, 100), FrameColor(19, 4));
  EXPECT_EQ(PixelAt(*h.gfx, 115, 100), kUntouched);
  ExpectRun(*h.gfx, kAdvances12, "0.0", 130 - TextRunWidth(kAdvances12, "0.0") / 2, 226);
  // Meters are redrawn on every pass.
  EXPECT_TRUE(left->IsDirty());
}

TEST(NoteNameTest, NamesAndOctaves)
{
  char text[16];
  const std::pair<int, const char*> cases[] = {{61, "C# 4"}, {60, "C 4"}, {0, "C -1"}, {127, "G 9"}, {-1, "B -2"}};
  for (const auto& c : cases) {
    FormatNoteName(c.first, text, sizeof(text));
    EXPECT_STREQ(text, c.second);
  }
}

TEST(KnobTextTest, NoteKnobShowsTheNoteOfTheRealValue)
{
  EditorHarness h(846, 768);
  TestStrip knob(48, 48, 33, 5), glyphs(11, 14, 224, kGlyphTag);
  auto* note = new IKnobMultiControlBitmapFontMidiNote(&h.plug, kPitchHighNote, knob.Get(), kStyle, glyphs.Get(),
                                                       IBlend(), IRect(320, 304, 392, 372));
  h.gfx->AttachControl(note);
  h.Attach();
  EXPECT_EQ(note->GetGearing(), 40.0);
  h.plug.GetParameter(kPitchHighNote)->Set(61);
  h.gfx->SetParameterFromHost(kPitchHighNote, 61, false);
  FillDrawBitmap(*h.gfx, kUntouched);
  h.gfx->Tick();
  // 61 of 12..127: frame from the normalised value.
  const double v = (61.0 - 12) / (127 - 12);
  EXPECT_EQ(PixelAt(*h.gfx, 332, 304), FrameColor(FrameFromValue(v, 33), 5));
  const int centre = 320 + 36;
  ExpectRun(*h.gfx, kAdvances14, "C# 4", centre - TextRunWidth(kAdvances14, "C# 4") / 2, 372 - 16);
}

TEST(KnobTextTest, ValueKnobShowsDisplayTextAndLabel)
{
  EditorHarness h(846, 768);
  TestStrip knob(48, 48, 33, 5), glyphs(11, 14, 224, kGlyphTag);
  auto* level = new IKnobMultiControlBitmapFont(&h.plug, kOsc1Level, knob.Get(), kStyle, glyphs.Get(),
                                                IBlend(IBlend::kBlendAdd, 0.1f), IRect(104, 32, 176, 100));
  auto* type = new IKnobMultiControlBitmapFont(&h.plug, kOsc1Type, knob.Get(), kStyle, glyphs.Get(), IBlend(),
                                               IRect(32, 32, 104, 100));
  h.gfx->AttachControl(level);
  h.gfx->AttachControl(type);
  h.Attach();
  EXPECT_EQ(level->GetGearing(), 4.0);
  EXPECT_FALSE(level->PromptDisabled());
  EXPECT_STREQ(level->GetText().mFont, "Arial");
  EXPECT_EQ(level->Layout().mKnobRECT, IRect(116, 32, 164, 80));
  EXPECT_EQ(level->Layout().mTextEntryRECT, IRect(104, 84, 176, 100));
  EXPECT_EQ(level->Layout().mTextRECT, IRect(104, 84, 176, 98));

  FillDrawBitmap(*h.gfx, kUntouched);
  h.gfx->Tick();
  // Osc1 Level 0 dB: top frame, "0.0dB", copied at full weight whatever the
  // blend given.
  EXPECT_EQ(PixelAt(*h.gfx, 116, 32), FrameColor(33, 5));
  ExpectRun(*h.gfx, kAdvances14, "0.0dB", 140 - TextRunWidth(kAdvances14, "0.0dB") / 2, 84);
  // An enumeration shows its display text.
  ExpectRun(*h.gfx, kAdvances14, "Triangle", 68 - TextRunWidth(kAdvances14, "Triangle") / 2, 84);
}

TEST(TextLabelTest, SetTextFromPluginAndCentring)
{
  EditorHarness h(846, 768);
  TestStrip glyphs(11, 14, 224, kGlyphTag);
  auto* label = new ITextControlBitmapFont(&h.plug, kStyle, glyphs.Get(), IBlend(), IRect(548, 240, 603, 270));
  h.gfx->AttachControl(label);
  h.MakeBitmaps();
  FillDrawBitmap(*h.gfx, kUntouched);
  EXPECT_EQ(label->GetDisplayText(), "0");
  h.gfx->Tick();
  ExpectRun(*h.gfx, kAdvances14, "0", 575 - 4, 250);
  EXPECT_FALSE(label->IsDirty());

  label->SetTextFromPlugin("0");
  EXPECT_FALSE(label->IsDirty());
  label->SetTextFromPlugin("17");
  EXPECT_TRUE(label->IsDirty());
  FillDrawBitmap(*h.gfx, kUntouched);
  h.gfx->Tick();
  ExpectRun(*h.gfx, kAdvances14, "17", 575 - 7, 250);

  label->SetTextFromPlugin("");
  FillDrawBitmap(*h.gfx, kUntouched);
  h.gfx->Tick();
  for (int x = 548; x < 603; ++x) EXPECT_EQ(PixelAt(*h.gfx, x, 250), kUntouched);
}

TEST(TextLabelTest, OverlongTextIsClippedOnlyByTheDrawRect)
{
  EditorHarness h(846, 768);
  TestStrip glyphs(11, 14, 224, kGlyphTag);
  auto* label = new ITextControlBitmapFont(&h.plug, kStyle, glyphs.Get(), IBlend(), IRect(548, 240, 603, 270));
  h.gfx->AttachControl(label);
  h.MakeBitmaps();
  label->SetTextFromPlugin("0123456789");
  const int start = 575 - TextRunWidth(kAdvances14, "0123456789") / 2;
  ASSERT_LT(start, 548);

  FillDrawBitmap(*h.gfx, kUntouched);
  h.gfx->Tick();  // dirty region is the control itself
  EXPECT_EQ(PixelAt(*h.gfx, start, 250), kUntouched);
  EXPECT_EQ(PixelAt(*h.gfx, 548, 250), Glyph('1'));  // the part inside
  // The run ends at the control's right edge.
  EXPECT_EQ(PixelAt(*h.gfx, 603, 250), kUntouched);

  FillDrawBitmap(*h.gfx, kUntouched);
  h.gfx->Draw(IRect(500, 200, 700, 300));
  ExpectRun(*h.gfx, kAdvances14, "0123456", start, 250);
}
