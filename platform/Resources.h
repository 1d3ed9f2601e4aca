#pragma once
// The editor's images travel inside the plug-in module: as resources of type
// "PNG" on Windows, as a table compiled in from resources/img elsewhere. Both
// are found by the same numeric ids (101 to 121).
#include <cstddef>

// Finds resource `id`. module is the module instance to search on Windows
// (null: the module that holds this code) and is ignored elsewhere. On success
// data points at `size` bytes that stay valid while the module is loaded.
bool LoadModuleResource(int id, const unsigned char*& data, size_t& size, void* module = nullptr);
