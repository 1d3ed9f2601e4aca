// The editor of the instrument: one fixed 846 x 768 picture with every label
// painted into the background, the controls placed on it in a fixed order.
#include "editor/IBitmapControl.h"
#include "editor/IButtonControl.h"
#include "editor/IKeyboardControl.h"
#include "editor/IKnobMultiControlBitmapFont.h"
#include "editor/IKnobMultiControlBitmapFontMidiNote.h"
#include "editor/IPeakMeterBitmapBitmapFont.h"
#include "editor/ITextControlBitmapFont.h"
#include "editor/headless/IGraphicsHeadless.h"
#include "engine/Vorblex.h"
#ifdef VORBLEX_EDITOR_WIN
#include "editor/win/IGraphicsWin.h"
#endif

namespace {
constexpr int kEditorWidth = 846;
constexpr int kEditorHeight = 768;
constexpr int kEditorFPS = 25;

// Offsets of the twelve keys within one octave: C, C#, D, ... B.
constexpr int kKeyboardKeyOffsets[12] = {0, 7, 10, 17, 20, 30, 37, 40, 47, 50, 57, 60};

enum EImageId {
  kAboutId = 101,
  kBackgroundId = 102,
  kKnobId = 103,
  kWhiteKeyId = 104,
  kBlackKeyId = 105,
  kMeterLeftId = 108,
  kMeterRightId = 109,
  kGlyphs12Id = 115,
  kGlyphs14Id = 116,
  kButtonsId = 119,
  kSwitchId = 120,
  kSmallButtonsId = 121,
};

// A tool of the plug-in as a button listener.
template <void (Vorblex::*Operation)()>
void Run(void* plug)
{
  (static_cast<Vorblex*>(plug)->*Operation)();
}

struct ButtonPlace {
  IRect rect;
  int firstFrame;
  const char* tooltip;
  void (*operation)(void* plug);
};

const ButtonPlace kLargeButtons[] = {
    {IRect(153, 556, 261, 606), 0, "Reset to the initial values", &Run<&Vorblex::ResetSound>},
    {IRect(153, 606, 261, 656), 3, "Random! Great to discover new sounds!", &Run<&Vorblex::GenerateRandom>},
    {IRect(261, 556, 369, 606), 6, "Pickup/Coin sounds", &Run<&Vorblex::GeneratePickup>},
    {IRect(261, 606, 369, 656), 24, "Shoots, Lasers, Blasters! Maybe a flanger would be great!", &Run<&Vorblex::GenerateShoot>},
    {IRect(369, 556, 477, 606), 12, "Powerups!!", &Run<&Vorblex::GeneratePowerup>},
    {IRect(369, 606, 477, 656), 15, "Hit, Hurt! Try with others waveforms!", &Run<&Vorblex::GenerateHit>},
    {IRect(477, 556, 585, 606), 18, "Jump!!", &Run<&Vorblex::GenerateJump>},
    {IRect(477, 606, 585, 656), 21, "Blips and Select sounds", &Run<&Vorblex::GenerateBlip>},
    {IRect(585, 556, 693, 606), 9, "Blade Slashes", &Run<&Vorblex::GenerateBlade>},
    {IRect(585, 606, 693, 656), 27, "Mutate the current values. Change the amount with the Mutation % Knob",
     &Run<&Vorblex::Mutate>},
};

const ButtonPlace kSmallButtons[] = {
    {IRect(320, 240, 396, 270), 0, "Go to the previous data index", &Run<&Vorblex::PreviousData>},
    {IRect(396, 240, 472, 270), 3, "Go to the next data index", &Run<&Vorblex::NextData>},
    {IRect(472, 240, 548, 270), 6, "Save the current data index", &Run<&Vorblex::SaveData>},
};

}  // namespace

IGraphics* Vorblex::CreateGraphics()
{
  // The one place that picks the editor's back-end: a Windows module gets its
  // window (whose module instance is the DLL holding this code), everything
  // else the window-less editor.
#ifdef VORBLEX_EDITOR_WIN
  return new IGraphicsWin(this, kEditorWidth, kEditorHeight, kEditorFPS);
#else
  return new IGraphicsHeadless(this, kEditorWidth, kEditorHeight, kEditorFPS);
#endif
}

void Vorblex::BuildEditor()
{
  IGraphics* g = CreateGraphics();
  g->AttachBackground(kBackgroundId, "resources/img/Background.png");
  g->HandleMouseOver(true);

  const IBitmap whiteKeys = g->LoadBitmap(kWhiteKeyId, "resources/img/pianowhitekey.png", 6);
  const IBitmap blackKeys = g->LoadBitmap(kBlackKeyId, "resources/img/pianoblackkey.png", 1);
  auto* keyboard = new IKeyboardControl(this, 138, 707, whiteKeys, blackKeys, kKeyboardKeyOffsets);
  SetKeyboard(keyboard);
  g->AttachControl(keyboard);

  const IColor black(255, 0, 0, 0);
  const IText text(14, &black, "Arial");

  const IBitmap knob = g->LoadBitmap(kKnobId, "resources/img/KnobNes.png", 33);
  const IBitmap meterLeft = g->LoadBitmap(kMeterLeftId, "resources/img/PeakMeterL.png", 19);
  const IBitmap meterRight = g->LoadBitmap(kMeterRightId, "resources/img/PeakMeterR.png", 19);
  const IBitmap glyphs14 = g->LoadBitmap(kGlyphs14Id, "resources/img/Eyetype_3_14.png", 224);
  const IBitmap glyphs12 = g->LoadBitmap(kGlyphs12Id, "resources/img/Eyetype_3_12.png", 224);
  const IBitmap buttons = g->LoadBitmap(kButtonsId, "resources/img/Buttons.png", 30);
  const IBitmap smallButtons = g->LoadBitmap(kSmallButtonsId, "resources/img/ButtonsSmall.png", 9);
  const IBitmap switch3 = g->LoadBitmap(kSwitchId, "resources/img/Switch3.png", 3);

  g->AttachControl(new IPeakMeterBitmapBitmapFont(this, meterLeft, text, glyphs12, IBlend(), 2, 2,
                                                  IRect(760, 100, 788, 242)));
  g->AttachControl(new IPeakMeterBitmapBitmapFont(this, meterRight, text, glyphs12, IBlend(), 1, 0,
                                                  IRect(788, 100, 817, 242)));
  SetMeterIndices(2, 3);

  auto attachButtons = [&](const ButtonPlace* places, int count, const IBitmap& image) {
    for (int b = 0; b < count; ++b) {
      const ButtonPlace& place = places[b];
      auto* button = new IButtonControl(this, image, place.firstFrame, place.rect);
      button->AddListener(this, place.operation);
      button->SetTooltip(place.tooltip);
      g->AttachControl(button);
    }
  };
  attachButtons(kLargeButtons, static_cast<int>(std::size(kLargeButtons)), buttons);
  attachButtons(kSmallButtons, static_cast<int>(std::size(kSmallButtons)), smallButtons);

  auto* display = new ITextControlBitmapFont(this, text, glyphs14, IBlend(), IRect(548, 240, 603, 270));
  display->SetTooltip("Current data index");
  SetDataIndexText(display);
  g->AttachControl(display);

  for (int i = 0; i < kParamCount; ++i) {
    const ParamDesc& d = *GetParamDesc(i);
    const IRect rect(d.x, d.y, d.x + d.width, d.y + d.height);
    IControl* control;
    if (i == kPitchHighNote || i == kPitchLowNote) {
      control = new IKnobMultiControlBitmapFontMidiNote(this, i, knob, text, glyphs14, IBlend(), rect);
    } else if (i == kPitchJumpTrigger || i == kBitCrushPosition) {
      control = new IKnobMultiControlBitmapFont(this, i, switch3, text, glyphs14, IBlend(), rect);
    } else {
      control = new IKnobMultiControlBitmapFont(this, i, knob, text, glyphs14, IBlend(), rect);
    }
    control->SetTooltip(d.tooltip);
    g->AttachControl(control);
  }

  const IBitmap about = g->LoadBitmap(kAboutId, "resources/img/about.png", 1);
  g->AttachControl(new IBitmapOverlayControl(this, 0, 0, about, IRect(255, 668, 590, 701)));

  g->EnableTooltips(true);
  g->HandleMouseOver(true);
  AttachEditor(g);
}
