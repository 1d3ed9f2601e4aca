#pragma once
// An instrument with a small headless editor of the tests' own: one knob per
// parameter at control position 18 + i (as the full layout places them), the
// data index display and buttons wired to the tools.
#include <memory>
#include <vector>

#include "editor/IButtonControl.h"
#include "editor/IKnobControl.h"
#include "editor/ITextControlBitmapFont.h"
#include "editor/headless/IGraphicsHeadless.h"
#include "plugin/Vorblex.h"
#include "tests/editor/EditorTestUtil.h"

#include <gtest/gtest.h>

class PlainKnob : public IKnobControl {
public:
  using IKnobControl::IKnobControl;
  bool Draw(IGraphics*) override { return true; }
};

class ToolsHarness {
public:
  using Tool = void (*)(Vorblex&);
  enum EButton { kRandomButton, kPickupButton, kMutateButton, kPreviousButton, kNextButton, kSaveButton, kNumButtons };

  explicit ToolsHarness(bool withEditor = true) : mGlyphs(11, 14, 224), mButtonImage(20, 20, 3)
  {
    mPlug.SetHostSampleRate(44100);
    if (!withEditor) {
      mPlug.AttachEditor(nullptr);
      mPlug.DropEditor();
      return;
    }
    auto* g = new IGraphicsHeadless(&mPlug, 846, 768);
    // Controls 0..17 stand for the layout's background, meters, buttons and
    // switches; parameter knobs follow.
    for (int i = 0; i < 18; ++i) g->AttachControl(new PlainKnob(&mPlug, IRect(0, 0, 1, 1), -1));
    for (int i = 0; i < kParamCount; ++i) {
      const ParamDesc* d = GetParamDesc(i);
      g->AttachControl(new PlainKnob(&mPlug, IRect(d->x, d->y, d->x + d->width, d->y + d->height), i));
    }
    mText = new ITextControlBitmapFont(&mPlug, IText(14), mGlyphs.Get(), IBlend(), IRect(540, 236, 600, 270));
    g->AttachControl(mText);
    const Tool handlers[kNumButtons] = {[](Vorblex& p) { p.GenerateRandom(); }, [](Vorblex& p) { p.GeneratePickup(); },
                                        [](Vorblex& p) { p.Mutate(); },         [](Vorblex& p) { p.PreviousData(); },
                                        [](Vorblex& p) { p.NextData(); },       [](Vorblex& p) { p.SaveData(); }};
    for (int b = 0; b < kNumButtons; ++b) {
      const int x = 10 + 30 * b;
      auto* button = new IButtonControl(&mPlug, mButtonImage.Get(), 1, IRect(x, 740, x + 20, 760));
      mHandlers[b] = handlers[b];
      button->AddListener(this, &ToolsHarness::Dispatch);
      mButtonIndex[b] = g->NControls();
      g->AttachControl(button);
    }
    mGraphics = g;
    mPlug.AttachEditor(g);
    mPlug.SetDataIndexText(mText);
  }

  // Presses and releases button b with the mouse.
  void Press(EButton b)
  {
    const IRect& r = mGraphics->GetControl(mButtonIndex[b])->GetRECT();
    mPressed = b;
    mGraphics->OnMouseDown(r.L + 5, r.T + 5, IMouseMod());
    mGraphics->OnMouseUp(r.L + 5, r.T + 5, IMouseMod());
  }

  class Plug : public Vorblex {
  public:
    void DropEditor() { DeleteEditor(); }
  };

  Plug mPlug;
  IGraphicsHeadless* mGraphics = nullptr;
  ITextControlBitmapFont* mText = nullptr;

private:
  static void Dispatch(void* self)
  {
    auto* h = static_cast<ToolsHarness*>(self);
    h->mHandlers[h->mPressed](h->mPlug);
  }

  TestStrip mGlyphs;
  TestStrip mButtonImage;
  Tool mHandlers[kNumButtons] = {};
  int mButtonIndex[kNumButtons] = {};
  int mPressed = 0;
};

// Normalised values survive a trip through the real value to within rounding.
inline void ExpectSameSound(const std::vector<double>& a, const std::vector<double>& b)
{
  ASSERT_EQ(a.size(), b.size());
  for (size_t i = 0; i < a.size(); ++i) EXPECT_NEAR(a[i], b[i], 1e-12) << "parameter " << i;
}

inline std::vector<double> Normalized(Vorblex& plug)
{
  std::vector<double> v;
  for (int i = 0; i < kParamCount; ++i) v.push_back(plug.GetParameter(i)->GetNormalized());
  return v;
}
