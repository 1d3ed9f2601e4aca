// The module's exports, its factory and class information, and how instances
// are made and what interfaces they answer for.
#include <gtest/gtest.h>

#include <cstring>

#include "pluginterfaces/base/ustring.h"
#include "pluginterfaces/vst/ivstmessage.h"
#include "tests/hosts/vst3/TestHost.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace vst3host {
namespace {

const unsigned char kExpectedClassID[16] = {0x0D, 0xE7, 0xAE, 0xF2, 0xDE, 0x00, 0x4E, 0x4F,
                                            0x50, 0x71, 0x78, 0x72, 0x73, 0x70, 0x67, 0x70};

std::string Text16(const char16* text, int size) { return Narrow(reinterpret_cast<const TChar*>(text), size); }

TEST(Vst3Factory, ModuleExportsItsEntryPoints)
{
  EXPECT_NE(ModuleUnderTest().Symbol("GetPluginFactory"), nullptr);
#ifdef _WIN32
  EXPECT_NE(ModuleUnderTest().Symbol("InitDll"), nullptr);
  EXPECT_NE(ModuleUnderTest().Symbol("ExitDll"), nullptr);
#else
  EXPECT_NE(ModuleUnderTest().Symbol("ModuleEntry"), nullptr);
  EXPECT_NE(ModuleUnderTest().Symbol("ModuleExit"), nullptr);
#endif
}

TEST(Vst3Factory, LaterCallsReturnTheSameFactory)
{
  using GetFactoryProc = IPluginFactory*(PLUGIN_API*)();
  auto getFactory = reinterpret_cast<GetFactoryProc>(ModuleUnderTest().Symbol("GetPluginFactory"));
  ASSERT_NE(getFactory, nullptr);
  IPluginFactory* again = getFactory();
  EXPECT_EQ(again, Factory());
  ASSERT_NE(again, nullptr);
  again->release();
  // Releasing our extra reference leaves the factory working.
  EXPECT_EQ(Factory()->countClasses(), 1);
}

TEST(Vst3Factory, FactoryInformation)
{
  ASSERT_NE(Factory(), nullptr);
  PFactoryInfo info;
  ASSERT_EQ(Factory()->getFactoryInfo(&info), kResultOk);
  EXPECT_STREQ(info.vendor, "Tessolar");
  EXPECT_EQ(info.flags, 16);
  EXPECT_EQ(Factory()->countClasses(), 1);
  EXPECT_NE(Factory()->getFactoryInfo(nullptr), kResultOk);
}

TEST(Vst3Factory, ClassInformationInAllThreeForms)
{
  ASSERT_NE(Factory(), nullptr);
  PClassInfo info;
  ASSERT_EQ(Factory()->getClassInfo(0, &info), kResultOk);
  EXPECT_EQ(std::memcmp(info.cid, kExpectedClassID, 16), 0);
  EXPECT_EQ(info.cardinality, 0x7FFFFFFF);
  EXPECT_STREQ(info.category, "Audio Module Class");
  EXPECT_STREQ(info.name, "Vorblex");

  FUnknownPtr<IPluginFactory2> factory2(Factory());
  ASSERT_TRUE(factory2);
  PClassInfo2 info2;
  ASSERT_EQ(factory2->getClassInfo2(0, &info2), kResultOk);
  EXPECT_EQ(std::memcmp(info2.cid, kExpectedClassID, 16), 0);
  EXPECT_EQ(info2.cardinality, 0x7FFFFFFF);
  EXPECT_STREQ(info2.category, "Audio Module Class");
  EXPECT_STREQ(info2.name, "Vorblex");
  EXPECT_EQ(info2.classFlags, 2u);
  EXPECT_STREQ(info2.subCategories, "Instrument");
  EXPECT_STREQ(info2.vendor, "");
  EXPECT_STREQ(info2.version, "1.0.1");
  EXPECT_STREQ(info2.sdkVersion, "VST 3.6.0");

  FUnknownPtr<IPluginFactory3> factory3(Factory());
  ASSERT_TRUE(factory3);
  PClassInfoW infoW;
  ASSERT_EQ(factory3->getClassInfoUnicode(0, &infoW), kResultOk);
  EXPECT_EQ(std::memcmp(infoW.cid, kExpectedClassID, 16), 0);
  EXPECT_EQ(Text16(infoW.name, 64), "Vorblex");
  EXPECT_EQ(Text16(infoW.version, 64), "1.0.1");
  EXPECT_EQ(Text16(infoW.sdkVersion, 64), "VST 3.6.0");
  EXPECT_STREQ(infoW.subCategories, "Instrument");
}

TEST(Vst3Factory, ClassQueriesOutsideTheListAreRefused)
{
  ASSERT_NE(Factory(), nullptr);
  PClassInfo info;
  EXPECT_NE(Factory()->getClassInfo(1, &info), kResultOk);
  EXPECT_NE(Factory()->getClassInfo(-1, &info), kResultOk);
  EXPECT_NE(Factory()->getClassInfo(0, nullptr), kResultOk);
  FUnknownPtr<IPluginFactory2> factory2(Factory());
  PClassInfo2 info2;
  EXPECT_NE(factory2->getClassInfo2(1, &info2), kResultOk);
  EXPECT_NE(factory2->getClassInfo2(0, nullptr), kResultOk);
  FUnknownPtr<IPluginFactory3> factory3(Factory());
  PClassInfoW infoW;
  EXPECT_NE(factory3->getClassInfoUnicode(7, &infoW), kResultOk);
}

TEST(Vst3Factory, CreateInstanceChecksClassAndInterface)
{
  ASSERT_NE(Factory(), nullptr);
  void* obj = reinterpret_cast<void*>(1);
  TUID wrong = {};
  EXPECT_NE(Factory()->createInstance(wrong, IComponent::iid, &obj), kResultOk);
  EXPECT_EQ(obj, nullptr);

  obj = reinterpret_cast<void*>(1);
  EXPECT_NE(Factory()->createInstance(ClassID(), IMessage::iid, &obj), kResultOk) << "not an interface it has";
  EXPECT_EQ(obj, nullptr);

  EXPECT_NE(Factory()->createInstance(nullptr, IComponent::iid, &obj), kResultOk);
  EXPECT_NE(Factory()->createInstance(ClassID(), nullptr, &obj), kResultOk);
  EXPECT_NE(Factory()->createInstance(ClassID(), IComponent::iid, nullptr), kResultOk);

  for (const TUID* iid : {&IAudioProcessor::iid.toTUID(), &IEditController::iid.toTUID()}) {
    obj = nullptr;
    ASSERT_EQ(Factory()->createInstance(ClassID(), *iid, &obj), kResultOk);
    ASSERT_NE(obj, nullptr);
    static_cast<FUnknown*>(obj)->release();
  }
}

TEST(Vst3Factory, OneObjectIsProcessorAndController)
{
  auto plugin = Plugin::Create();
  ASSERT_NE(plugin, nullptr);
  EXPECT_NE(plugin->units, nullptr) << "unit information";
  FUnknownPtr<IEditController2> controller2(plugin->component);
  EXPECT_TRUE(controller2);
  FUnknownPtr<IConnectionPoint> connection(plugin->component);
  EXPECT_TRUE(connection);

  // One identity whichever interface is asked.
  FUnknown* a = nullptr;
  FUnknown* b = nullptr;
  ASSERT_EQ(plugin->component->queryInterface(FUnknown::iid, reinterpret_cast<void**>(&a)), kResultOk);
  ASSERT_EQ(plugin->controller->queryInterface(FUnknown::iid, reinterpret_cast<void**>(&b)), kResultOk);
  EXPECT_EQ(a, b);
  a->release();
  b->release();

  IComponent* back = nullptr;
  ASSERT_EQ(plugin->processor->queryInterface(IComponent::iid, reinterpret_cast<void**>(&back)), kResultOk);
  EXPECT_EQ(back, plugin->component);
  back->release();

  void* none = reinterpret_cast<void*>(1);
  EXPECT_NE(plugin->component->queryInterface(IMessage::iid, &none), kResultOk);
  EXPECT_EQ(none, nullptr);
}

TEST(Vst3Factory, EachCreateMakesANewInstance)
{
  auto a = Plugin::Create();
  auto b = Plugin::Create();
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_NE(a->component, b->component);
  a->Start();
  b->Start();
  ASSERT_EQ(a->controller->setParamNormalized(0, 0.25), kResultOk);
  EXPECT_DOUBLE_EQ(a->Normalized(0), 0.25);
  EXPECT_DOUBLE_EQ(b->Normalized(0), 0.7) << "instances share no parameter values";
}

}  // namespace
}  // namespace vst3host
