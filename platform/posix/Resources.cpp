#include "platform/Resources.h"

#include "platform/posix/ResourceTable.h"

bool LoadModuleResource(int id, const unsigned char*& data, size_t& size, void*)
{
  for (size_t i = 0; i < kEmbeddedResourceCount; ++i) {
    const EmbeddedResource& r = *kEmbeddedResources[i];
    if (r.id == id) {
      data = r.data;
      size = r.size;
      return true;
    }
  }
  return false;
}
