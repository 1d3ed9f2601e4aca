#include "platform/Resources.h"

#include <windows.h>

namespace {
// The DLL or executable this function was linked into, found by address so it
// is right whether we live in a plug-in module or in a test program.
HMODULE ThisModule()
{
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&ThisModule), &module);
  return module;
}
}  // namespace

bool LoadModuleResource(int id, const unsigned char*& data, size_t& size, void* module)
{
  // Resource ids are 16-bit; anything else would be read as a name pointer.
  if (id <= 0 || id > 0xFFFF) return false;
  HMODULE owner = module ? static_cast<HMODULE>(module) : ThisModule();
  HRSRC found = FindResourceA(owner, MAKEINTRESOURCEA(id), "PNG");
  if (!found) return false;
  HGLOBAL loaded = LoadResource(owner, found);
  const DWORD bytes = SizeofResource(owner, found);
  const void* locked = loaded ? LockResource(loaded) : nullptr;
  if (!locked) return false;
  data = static_cast<const unsigned char*>(locked);
  size = bytes;
  return true;
}
