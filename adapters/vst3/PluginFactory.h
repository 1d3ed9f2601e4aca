#pragma once
// The module's class factory: publishes the factory information and the
// registered classes and creates instances of them by class id.
#include <vector>

#include "pluginterfaces/base/ipluginbase.h"

namespace Steinberg {

class PluginFactory : public IPluginFactory3 {
public:
  // Makes one instance and returns one of its interfaces holding one reference,
  // or null.
  using CreateFunction = FUnknown* (*)(void* context);

  explicit PluginFactory(const PFactoryInfo& info);
  virtual ~PluginFactory();
  PluginFactory(const PluginFactory&) = delete;
  PluginFactory& operator=(const PluginFactory&) = delete;

  bool registerClass(const PClassInfo2& info, CreateFunction create, void* context = nullptr);
  bool isClassRegistered(const FUID& cid) const;

  // ---- IPluginFactory ----
  tresult PLUGIN_API getFactoryInfo(PFactoryInfo* info) SMTG_OVERRIDE;
  int32 PLUGIN_API countClasses() SMTG_OVERRIDE;
  tresult PLUGIN_API getClassInfo(int32 index, PClassInfo* info) SMTG_OVERRIDE;
  tresult PLUGIN_API createInstance(FIDString cid, FIDString iid, void** obj) SMTG_OVERRIDE;
  // ---- IPluginFactory2 ----
  tresult PLUGIN_API getClassInfo2(int32 index, PClassInfo2* info) SMTG_OVERRIDE;
  // ---- IPluginFactory3 ----
  tresult PLUGIN_API getClassInfoUnicode(int32 index, PClassInfoW* info) SMTG_OVERRIDE;
  tresult PLUGIN_API setHostContext(FUnknown* context) SMTG_OVERRIDE;

  DECLARE_FUNKNOWN_METHODS

private:
  struct ClassEntry {
    PClassInfo2 info;
    CreateFunction create;
    void* context;
  };
  const ClassEntry* entryAt(int32 index) const;

  PFactoryInfo mFactoryInfo;
  std::vector<ClassEntry> mClasses;
};

}  // namespace Steinberg
