#include <gtest/gtest.h>

#include <string>

#include "platform/DebugPrint.h"

namespace {
std::string gLast;
void Capture(const char* line) { gLast = line; }
}  // namespace

TEST(DebugPrint, StripsTrailingWhiteSpaceAndEndsWithCrLf)
{
  SetDebugSink(Capture);
  DebugPrint("mudou %d  \t\n", 5);
  EXPECT_EQ(gLast, "mudou 5\r\n");
  DebugPrint("%s", "");
  EXPECT_EQ(gLast, "\r\n");
  SetDebugSink(nullptr);
}

TEST(DebugPrint, LongTextIsCutTo4093Characters)
{
  SetDebugSink(Capture);
  std::string text(5000, 'x');
  DebugPrint("%s", text.c_str());
  EXPECT_EQ(gLast.size(), 4093u + 2);
  EXPECT_EQ(gLast.substr(4093), "\r\n");
  SetDebugSink(nullptr);
}
