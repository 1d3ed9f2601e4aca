#pragma once
// Reading states without rendering: `vorblex show` and `vorblex diff`, and the
// parameter part of every JSON document.
#include <cstdio>
#include <string>

class IPlugBase;
class JsonWriter;

// Every parameter: index, name, display text and unit.
void PrintShow(const IPlugBase& plug, std::FILE* out);
// The parameters whose values differ; returns how many.
int PrintDiff(const IPlugBase& a, const IPlugBase& b, std::FILE* out);
// "parameters": [{index, name, value, text, unit}, ...]
void WriteParametersJson(const IPlugBase& plug, JsonWriter& json);
// "differences": [{index, name, a, b, a_text, b_text, unit}, ...]
int WriteDiffJson(const IPlugBase& a, const IPlugBase& b, JsonWriter& json);
