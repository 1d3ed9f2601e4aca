#include "adapters/vst3/PluginFactory.h"

#include <cstring>

namespace Steinberg {

PluginFactory::PluginFactory(const PFactoryInfo& info) : mFactoryInfo(info) { FUNKNOWN_CTOR }

PluginFactory::~PluginFactory() = default;

IMPLEMENT_REFCOUNT(PluginFactory)

tresult PLUGIN_API PluginFactory::queryInterface(const TUID _iid, void** obj)
{
  if (!obj) return kInvalidArgument;
  QUERY_INTERFACE(_iid, obj, FUnknown::iid, IPluginFactory)
  QUERY_INTERFACE(_iid, obj, IPluginFactory::iid, IPluginFactory)
  QUERY_INTERFACE(_iid, obj, IPluginFactory2::iid, IPluginFactory2)
  QUERY_INTERFACE(_iid, obj, IPluginFactory3::iid, IPluginFactory3)
  *obj = nullptr;
  return kNoInterface;
}

bool PluginFactory::registerClass(const PClassInfo2& info, CreateFunction create, void* context)
{
  if (!create) return false;
  mClasses.push_back({info, create, context});
  return true;
}

bool PluginFactory::isClassRegistered(const FUID& cid) const
{
  for (const ClassEntry& entry : mClasses) {
    if (FUnknownPrivate::iidEqual(entry.info.cid, cid)) return true;
  }
  return false;
}

const PluginFactory::ClassEntry* PluginFactory::entryAt(int32 index) const
{
  if (index < 0 || static_cast<size_t>(index) >= mClasses.size()) return nullptr;
  return &mClasses[static_cast<size_t>(index)];
}

tresult PLUGIN_API PluginFactory::getFactoryInfo(PFactoryInfo* info)
{
  if (!info) return kInvalidArgument;
  std::memcpy(info, &mFactoryInfo, sizeof(PFactoryInfo));
  return kResultOk;
}

int32 PLUGIN_API PluginFactory::countClasses() { return static_cast<int32>(mClasses.size()); }

tresult PLUGIN_API PluginFactory::getClassInfo(int32 index, PClassInfo* info)
{
  const ClassEntry* entry = entryAt(index);
  if (!info) return kInvalidArgument;
  if (!entry) return kInvalidArgument;
  *info = PClassInfo(entry->info.cid, entry->info.cardinality, entry->info.category, entry->info.name);
  return kResultOk;
}

tresult PLUGIN_API PluginFactory::getClassInfo2(int32 index, PClassInfo2* info)
{
  const ClassEntry* entry = entryAt(index);
  if (!info) return kInvalidArgument;
  if (!entry) return kInvalidArgument;
  std::memcpy(info, &entry->info, sizeof(PClassInfo2));
  return kResultOk;
}

tresult PLUGIN_API PluginFactory::getClassInfoUnicode(int32 index, PClassInfoW* info)
{
  const ClassEntry* entry = entryAt(index);
  if (!info) return kInvalidArgument;
  if (!entry) return kInvalidArgument;
  *info = PClassInfoW();
  info->fromAscii(entry->info);
  return kResultOk;
}

tresult PLUGIN_API PluginFactory::createInstance(FIDString cid, FIDString iid, void** obj)
{
  if (!obj) return kInvalidArgument;
  *obj = nullptr;
  if (!cid || !iid) return kInvalidArgument;
  for (const ClassEntry& entry : mClasses) {
    if (!FUnknownPrivate::iidEqual(entry.info.cid, cid)) continue;
    FUnknown* instance = entry.create(entry.context);
    if (!instance) return kOutOfMemory;
    // The caller gets its own reference through the interface it asked for;
    // the creation reference goes either way.
    tresult result = instance->queryInterface(iid, obj);
    instance->release();
    if (result != kResultOk) {
      *obj = nullptr;
      return kNoInterface;
    }
    return kResultOk;
  }
  return kNoInterface;
}

// The classes take what they need of the host in initialize; a factory that
// lives as long as the module holds no reference to a host.
tresult PLUGIN_API PluginFactory::setHostContext(FUnknown* /*context*/) { return kNotImplemented; }

}  // namespace Steinberg
