// The command line's tools against the editor's buttons: each category runs
// the generator whose button carries that category, with the same draws, and
// appends to the history as a click does.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/CliCommon.h"
#include "cli/EditorTools.h"
#include "editor/IGraphics.h"
#include "editor/headless/IGraphicsHeadless.h"
#include "platform/Random.h"
#include "plugin/Vorblex.h"

namespace {
std::vector<double> Values(Vorblex& plug)
{
  std::vector<double> v;
  for (int i = 0; i < kParamCount; ++i) v.push_back(plug.GetParameter(i)->GetNormalized());
  return v;
}

// Clicks the layout's button with this tooltip, as a user would.
void ClickButton(Vorblex& plug, const std::string& tooltip)
{
  auto* g = static_cast<IGraphics*>(plug.GetEditor());
  for (int i = 0; i < g->NControls(); ++i) {
    IControl* c = g->GetControl(i);
    if (c->GetTooltip() != tooltip) continue;
    const IRect r = c->GetRECT();
    const int x = (r.L + r.R) / 2, y = (r.T + r.B) / 2;
    g->OnMouseOver(x, y, IMouseMod());
    g->OnMouseDown(x, y, IMouseMod(true));
    g->OnMouseUp(x, y, IMouseMod());
    return;
  }
  FAIL() << "no button \"" << tooltip << "\"";
}

struct CategoryButton {
  const char* category;
  const char* tooltip;
};
const CategoryButton kButtons[8] = {
    {"pickup", "Pickup/Coin sounds"},
    {"shoot", "Shoots, Lasers, Blasters! Maybe a flanger would be great!"},
    {"powerup", "Powerups!!"},
    {"hit", "Hit, Hurt! Try with others waveforms!"},
    {"jump", "Jump!!"},
    {"blip", "Blips and Select sounds"},
    {"blade", "Blade Slashes"},
    {"random", "Random! Great to discover new sounds!"},
};
}  // namespace

TEST(CliTools, EachCategoryMakesTheSoundOfItsButton)
{
  for (const CategoryButton& b : kButtons) {
    SCOPED_TRACE(b.category);
    Vorblex byName, byClick;
    ASSERT_NE(dynamic_cast<IGraphicsHeadless*>(byName.GetEditor()), nullptr);
    for (uint32_t seed : {7u, 123456u}) {
      RandomSeed(seed);
      RunGenerator(byName, b.category);
      const uint32_t afterName = RandomState();
      RandomSeed(seed);
      ClickButton(byClick, b.tooltip);
      EXPECT_EQ(RandomState(), afterName);
      EXPECT_EQ(Values(byName), Values(byClick));
    }
    // Each run is one new entry of the history, shown as the current one.
    EXPECT_EQ(byName.DataList().size(), 2u);
    EXPECT_EQ(byName.DataIndex(), 1);
    EXPECT_EQ(byName.DataList(), byClick.DataList());
  }
}

TEST(CliTools, MutateMovesTheSoundAsItsButtonDoes)
{
  Vorblex byName, byClick;
  RandomSeed(42);
  RunGenerator(byName, "hit");
  RandomSeed(42);
  RunGenerator(byClick, "hit");
  const std::vector<double> hit = Values(byName);
  for (int n = 0; n < 3; ++n) {
    RandomSeed(1000u + static_cast<uint32_t>(n));
    RunMutate(byName);
    RandomSeed(1000u + static_cast<uint32_t>(n));
    ClickButton(byClick, "Mutate the current values. Change the amount with the Mutation % Knob");
    EXPECT_EQ(Values(byName), Values(byClick));
  }
  EXPECT_NE(Values(byName), hit);
  EXPECT_EQ(byName.DataList().size(), 4u);
  EXPECT_EQ(byName.DataIndex(), 3);
}

TEST(CliTools, UnknownCategoryIsRefusedAndChangesNothing)
{
  Vorblex plug;
  const std::vector<double> before = Values(plug);
  RandomSeed(5);
  for (const char* bad : {"", "Pickup", "laser", "mutate"}) {
    SCOPED_TRACE(bad);
    try {
      RunGenerator(plug, bad);
      ADD_FAILURE() << "accepted";
    } catch (const CliError& e) {
      EXPECT_NE(std::string(e.what()).find("unknown category"), std::string::npos);
    }
  }
  EXPECT_EQ(Values(plug), before);
  EXPECT_EQ(RandomState(), 5u);
  EXPECT_TRUE(plug.DataList().empty());
}

TEST(CliTools, APlugInWithoutAnEditorIsRefused)
{
  class NoEditor : public Vorblex {
  public:
    NoEditor() { DeleteEditor(); }
  };
  NoEditor plug;
  ASSERT_EQ(plug.GetEditor(), nullptr);
  EXPECT_THROW(RunGenerator(plug, "pickup"), CliError);
  EXPECT_THROW(RunMutate(plug), CliError);
}
