# Writes a C++ file holding the bytes of one resource and its table entry.
#   cmake -DINPUT=<file> -DOUTPUT=<file.cpp> -DID=<number> -P EmbedFile.cmake
foreach(var INPUT OUTPUT ID)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "EmbedFile.cmake needs -D${var}=...")
  endif()
endforeach()

file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" digits)
if(digits EQUAL 0)
  set(bytes "0")
  set(size 0)
else()
  math(EXPR size "${digits} / 2")
  # 32 bytes to a line keeps the generated file friendly to the compiler.
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "((0x..,){32})" "\\1\n" bytes "${bytes}")
endif()

file(WRITE "${OUTPUT}.tmp"
"// Generated from ${INPUT}; do not edit.
#include \"platform/posix/ResourceTable.h\"

namespace {
const unsigned char kData[] = {
${bytes}
};
}  // namespace

extern const EmbeddedResource kEmbeddedResource${ID} = {${ID}, kData, ${size}};
")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
