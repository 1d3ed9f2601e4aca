#pragma once
// The plug-in's one debug print: formats a line and sends it to the platform's
// debugger output (OutputDebugStringA on Windows, standard error elsewhere).
#include <cstdarg>
#include <cstddef>

constexpr size_t kDebugPrintBufferSize = 4096;
constexpr size_t kDebugPrintMaxChars = 4093;

// Formats into out (kDebugPrintBufferSize bytes): at most 4093 characters of
// text, trailing white space stripped, then CR LF. Returns the line's length.
size_t FormatDebugLine(char* out, const char* format, va_list args) noexcept;

void DebugPrint(const char* format, ...) noexcept
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// Tests capture the lines instead of sending them to the debugger output;
// nullptr restores the platform output.
using DebugSink = void (*)(const char* line);
void SetDebugSink(DebugSink sink) noexcept;

// The platform's debugger output (platform/win32 or platform/posix).
void PlatformDebugOutput(const char* line) noexcept;
