#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "framework/IParameter.h"

namespace {
std::string Display(const IParameter& p, double v, bool normalized = false, bool texts = true)
{
  char buf[kParamTextSize];
  p.FormatDisplay(normalized, buf, texts, v);
  return buf;
}
}  // namespace

TEST(Parameter, FreshValues)
{
  IParameter p;
  EXPECT_EQ(p.Kind(), kTypeNone);
  EXPECT_EQ(p.Value(), 0.0);
  EXPECT_EQ(p.Min(), 0.0);
  EXPECT_EQ(p.Max(), 1.0);
  EXPECT_EQ(p.Step(), 1.0);
  EXPECT_EQ(p.Shape(), 1.0);
  EXPECT_TRUE(p.IsAutomatable());
  EXPECT_FALSE(p.NegateDisplay());
}

TEST(Parameter, DisplayPrecisionFollowsStep)
{
  const std::pair<double, int> cases[] = {{1, 0}, {0.5, 1}, {0.25, 2}, {0.01, 2}, {0.005, 3}, {0.0000001, 6}, {0.1, 1}};
  for (auto [step, precision] : cases) {
    IParameter p;
    p.InitContinuous("x", "", 0, 0, 100, step, 1);
    EXPECT_EQ(p.DisplayPrecision(), precision) << "step " << step;
  }
}

TEST(Parameter, RangeNarrowerThanStepWidensUpward)
{
  IParameter p;
  p.InitContinuous("x", "", 0, 0, 0.005, 0.01, 1);
  EXPECT_DOUBLE_EQ(p.Max(), 0.01);
  EXPECT_EQ(p.DisplayPrecision(), 2);
}

TEST(Parameter, KindIsFixedAtFirstInitialisation)
{
  IParameter p;
  p.InitInteger("i", 3, 0, 7, "st");
  EXPECT_EQ(p.Kind(), kTypeInt);
  p.InitContinuous("c", "Hz", 1, 0, 2, 0.1, 0);
  EXPECT_EQ(p.Kind(), kTypeInt);
  EXPECT_STREQ(p.Name(), "c");
  EXPECT_EQ(p.Shape(), 1.0);  // a shape of 0 keeps the previous one
}

TEST(Parameter, IntegerRoundingHalfUpWithoutLowerClamp)
{
  IParameter p;
  p.InitInteger("i", 0, 0, 7, "");
  p.SetNormalized(0.5);
  EXPECT_EQ(p.Value(), 4.0);
  p.SetNormalized(0.0625);
  EXPECT_EQ(p.Value(), 0.0);
  p.SetNormalized(1.0);
  EXPECT_EQ(p.Value(), 7.0);
  p.SetNormalized(1.5);
  EXPECT_EQ(p.Value(), 7.0);
}

TEST(Parameter, ContinuousIsNotRoundedAndOnlyClampedAbove)
{
  IParameter p;
  p.InitContinuous("c", "", 0, 0, 1, 0.1, 1);
  p.SetNormalized(0.333);
  EXPECT_DOUBLE_EQ(p.Value(), 0.333);
  p.SetNormalized(1.2);
  EXPECT_EQ(p.Value(), 1.0);
  p.SetNormalized(-0.2);
  EXPECT_DOUBLE_EQ(p.Value(), -0.2);
  EXPECT_EQ(p.GetNormalized(), 0.0);
}

TEST(Parameter, NonFiniteInputLeavesValueUnchanged)
{
  IParameter p;
  p.InitContinuous("c", "", 0.25, 0, 1, 0.01, 2);
  const double bad[] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                        -std::numeric_limits<double>::infinity()};
  for (double v : bad) {
    p.SetNormalized(v);
    EXPECT_EQ(p.Value(), 0.25);
    p.Set(v);
    EXPECT_EQ(p.Value(), 0.25);
  }
  p.Set(5);
  EXPECT_EQ(p.Value(), 1.0);
  p.Set(-5);
  EXPECT_EQ(p.Value(), 0.0);
}

TEST(Parameter, ShapeLawBothWays)
{
  IParameter p;
  p.InitContinuous("t", "s", 0.01, 0.001, 10, 0.001, 3);
  p.SetNormalized(0.5);
  EXPECT_NEAR(p.Value(), 0.001 + 9.999 * 0.125, 1e-12);
  EXPECT_NEAR(p.GetNormalized(), 0.5, 1e-12);
  EXPECT_NEAR(p.ToNormalized(20), 1.0, 1e-12);
}

TEST(Parameter, DisplayTextsAndLabels)
{
  IParameter p;
  p.InitEnumeration("e", 0, 3, "lbl");
  p.AddDisplayText(0, "Zero");
  p.AddDisplayText(1, "");
  p.AddDisplayText(2, "Two");
  EXPECT_EQ(Display(p, 2.9), "Two");
  EXPECT_EQ(Display(p, 1.0), "1");          // empty text falls back to the number
  EXPECT_EQ(Display(p, 2.0, false, false), "2");
  EXPECT_EQ(Display(p, 1.0, true), "Two");  // normalised 1 is the maximum
  p.Set(1);
  EXPECT_STREQ(p.LabelForHost(), "lbl");
  p.Set(2);
  EXPECT_STREQ(p.LabelForHost(), "");
  int v = -1;
  EXPECT_TRUE(p.MapDisplayText("Two", &v));
  EXPECT_EQ(v, 2);
  EXPECT_FALSE(p.MapDisplayText("two", &v));  // case-sensitive
}

TEST(Parameter, NumbersAndNegation)
{
  IParameter hz;
  hz.InitContinuous("f", "Hz", 440, 0, 22050, 0.01, 1);
  EXPECT_EQ(Display(hz, 440), "440.00");
  IParameter neg;
  neg.InitInteger("n", 6, -12, 12, "");
  neg.SetNegateDisplay(true);
  EXPECT_EQ(Display(neg, 6), "-6");
  IParameter huge;
  huge.InitInteger("h", 0, 0, 1, "");
  EXPECT_EQ(Display(huge, 1e300), "2147483647");  // never undefined behaviour
}

TEST(Parameter, TextsAreCutTo31Characters)
{
  IParameter p;
  const std::string longName(60, 'x');
  p.InitContinuous(longName.c_str(), longName.c_str(), 0, 0, 1, 0.1, 1);
  EXPECT_EQ(std::string(p.Name()).size(), 31u);
  EXPECT_EQ(std::string(p.Label()).size(), 31u);
  p.AddDisplayText(0, longName.c_str());
  EXPECT_EQ(std::string(p.GetDisplayTextAtIndex(0)).size(), 31u);
}
