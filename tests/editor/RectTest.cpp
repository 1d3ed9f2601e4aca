// Rectangle edge rules, strip frame arithmetic and popup menu command ids.
#include <gtest/gtest.h>

#include <limits>

#include "editor/IGraphicsStructs.h"
#include "editor/IPopupMenu.h"

TEST(IRectTest, EmptinessAndContainment)
{
  EXPECT_TRUE(IRect().Empty());
  EXPECT_FALSE(IRect(0, 0, 0, 1).Empty());
  EXPECT_FALSE(IRect().Contains(0, 0));
  IRect r(10, 20, 30, 40);
  EXPECT_TRUE(r.Contains(10, 20));
  EXPECT_TRUE(r.Contains(29, 39));
  EXPECT_FALSE(r.Contains(30, 39));
  EXPECT_FALSE(r.Contains(29, 40));
  EXPECT_FALSE(r.Contains(9, 20));
}

TEST(IRectTest, TouchingRightOrBottomEdgeIntersectsLeftOrTopDoesNot)
{
  IRect a(10, 10, 20, 20);
  EXPECT_TRUE(a.Intersects(IRect(20, 10, 30, 20)));
  EXPECT_TRUE(a.Intersects(IRect(10, 20, 20, 30)));
  EXPECT_FALSE(a.Intersects(IRect(0, 10, 10, 20)));
  EXPECT_FALSE(a.Intersects(IRect(10, 0, 20, 10)));
  EXPECT_FALSE(a.Intersects(IRect()));
  EXPECT_FALSE(IRect().Intersects(a));
  // Touching intersects, but the intersection covers nothing.
  EXPECT_EQ(a.Intersect(IRect(20, 10, 30, 20)), IRect(20, 10, 20, 20));
  EXPECT_EQ(a.Intersect(IRect(15, 5, 40, 18)), IRect(15, 10, 20, 18));
  EXPECT_TRUE(a.Intersect(IRect(0, 0, 5, 5)).Empty());
}

TEST(IRectTest, UnionSkipsEmptyRectangles)
{
  IRect a(10, 10, 20, 20);
  EXPECT_EQ(a.Union(IRect(0, 15, 12, 30)), IRect(0, 10, 20, 30));
  EXPECT_EQ(IRect().Union(a), a);
  EXPECT_EQ(a.Union(IRect()), a);
}

TEST(FrameTest, FrameFromValueRoundsAndLimits)
{
  EXPECT_EQ(FrameFromValue(0.0, 3), 1);
  EXPECT_EQ(FrameFromValue(0.5, 3), 2);
  EXPECT_EQ(FrameFromValue(1.0, 3), 3);
  EXPECT_EQ(FrameFromValue(0.24, 3), 1);
  EXPECT_EQ(FrameFromValue(0.25, 3), 2);
  EXPECT_EQ(FrameFromValue(-3.0, 33), 1);
  EXPECT_EQ(FrameFromValue(7.0, 33), 33);
  EXPECT_EQ(FrameFromValue(1.0, 1), 1);
  EXPECT_EQ(FrameFromValue(std::numeric_limits<double>::quiet_NaN(), 19), 1);
}

TEST(FrameTest, FrameOffsetRoundsThePosition)
{
  int x = -1, y = -1;
  FrameOffset(IBitmap(nullptr, 48, 1584, 33), 33, &x, &y);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 1536);
  // 100 / 3 per frame: frame 2 at 33.33 -> 33, frame 3 at 66.67 -> 67.
  IBitmap horizontal(nullptr, 100, 10, 3, true);
  FrameOffset(horizontal, 2, &x, &y);
  EXPECT_EQ(x, 33);
  EXPECT_EQ(y, 0);
  FrameOffset(horizontal, 3, &x, &y);
  EXPECT_EQ(x, 67);
  FrameOffset(IBitmap(nullptr, 10, 10, 1), 5, &x, &y);
  EXPECT_EQ(x + y, 0);
}

TEST(IPopupMenuTest, CommandIdsNumberOwnItemsThenSubmenusDepthFirst)
{
  auto* inner = new IPopupMenu();
  inner->AddItem("deep");
  auto* sub = new IPopupMenu(IPopupMenu::kPrefixTwoDigits);
  sub->AddItem("s0");
  sub->AddItem("s1", 0, inner);
  IPopupMenu menu;
  menu.AddItem("a");
  menu.AddItem("sub", 0, sub);
  menu.AddItem("c");

  EXPECT_EQ(menu.NCommandIds(), 6);
  int item = -1;
  EXPECT_EQ(menu.MenuForCommandId(2, &item), &menu);
  EXPECT_EQ(item, 2);
  EXPECT_EQ(menu.MenuForCommandId(4, &item), sub);
  EXPECT_EQ(item, 1);
  EXPECT_EQ(menu.MenuForCommandId(5, &item), inner);
  EXPECT_EQ(item, 0);
  EXPECT_EQ(menu.MenuForCommandId(6, &item), nullptr);
  EXPECT_EQ(menu.MenuForCommandId(-1, &item), nullptr);
  EXPECT_EQ(sub->ItemText(1), "02: s1");
}
