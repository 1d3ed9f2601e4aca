#include <gtest/gtest.h>

#include <string>

#include "framework/HostIdentification.h"
#include "framework/IPlugBase.h"

TEST(HostIdentification, ProductStrings)
{
  EXPECT_EQ(LookUpHost("REAPER"), kHostReaper);
  EXPECT_EQ(LookUpHost("Reaper x64"), kHostReaper);
  EXPECT_EQ(LookUpHost("Cubase 7"), kHostCubase);
  EXPECT_EQ(LookUpHost("Ableton Live 9"), kHostAbletonLive);
  EXPECT_EQ(LookUpHost("Sonar"), kHostUnknown);
  EXPECT_EQ(LookUpHost(""), kHostUnknown);
  EXPECT_EQ(LookUpHost(nullptr), kHostUnknown);
  EXPECT_EQ(LookUpHost("Adobe Audition"), kHostAudition);
  EXPECT_EQ(LookUpHost("Digital Performer"), kHostDigitalPerformer);
  EXPECT_EQ(LookUpHost("VST3PluginTestHost"), kHostVST3TestHost);
  EXPECT_EQ(LookUpHost("Ardour"), kHostArdour);
  EXPECT_EQ(LookUpHost("FL Studio Fruity Wrapper"), kHostFL);
}

TEST(HostIdentification, FirstKeyInFixedOrderWins)
{
  EXPECT_EQ(LookUpHost("cubase live"), kHostCubase);
  EXPECT_EQ(LookUpHost("logic live"), kHostAbletonLive);
  EXPECT_EQ(LookUpHost("Nuendo with reaper inside"), kHostReaper);
  EXPECT_EQ(LookUpHost("standalone protools"), kHostProTools);
}

TEST(HostIdentification, OnlyFirst255CharactersCount)
{
  std::string s(255, 'x');
  EXPECT_EQ(LookUpHost((s + "reaper").c_str()), kHostUnknown);
  EXPECT_EQ(LookUpHost((std::string(249, 'x') + "reaper").c_str()), kHostReaper);
}

TEST(HostIdentification, DecimalVersions)
{
  EXPECT_EQ(HostVersionFromDecimal(10203), 0x00010203);
  EXPECT_EQ(HostVersionFromDecimal(10001), 0x00010001);
  EXPECT_EQ(HostVersionFromDecimal(0), 0);
  EXPECT_EQ(HostVersionFromDecimal(81215), 0x00080C0F);
}
