#pragma once
// The table of images compiled into the module, generated at build time from
// resources/vorblex.rc and the files present in resources/img.
#include <cstddef>

struct EmbeddedResource {
  int id;
  const unsigned char* data;
  size_t size;
};

// One entry per embedded file, each defined in a file of its own.
extern const EmbeddedResource* const kEmbeddedResources[];
extern const size_t kEmbeddedResourceCount;
