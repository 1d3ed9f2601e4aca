#include "cli/StateListing.h"

#include "cli/Json.h"
#include "framework/IPlugBase.h"

namespace {
std::string Display(const IParameter* p)
{
  char text[kParamTextSize] = {};
  p->FormatDisplay(text);
  std::string s = text;
  if (p->Label()[0]) s += std::string(" ") + p->Label();
  return s;
}
}  // namespace

void PrintShow(const IPlugBase& plug, std::FILE* out)
{
  for (int i = 0; i < plug.NParams(); ++i) {
    const IParameter* p = plug.GetParameter(i);
    std::fprintf(out, "%-3d %-22s %s\n", i, p->Name(), Display(p).c_str());
  }
}

int PrintDiff(const IPlugBase& a, const IPlugBase& b, std::FILE* out)
{
  int n = 0;
  for (int i = 0; i < a.NParams(); ++i) {
    const IParameter* pa = a.GetParameter(i);
    const IParameter* pb = b.GetParameter(i);
    if (pa->Value() == pb->Value()) continue;
    ++n;
    std::fprintf(out, "%-3d %-22s %s -> %s\n", i, pa->Name(), Display(pa).c_str(), Display(pb).c_str());
  }
  return n;
}

void WriteParametersJson(const IPlugBase& plug, JsonWriter& json)
{
  json.BeginArray("parameters");
  for (int i = 0; i < plug.NParams(); ++i) {
    const IParameter* p = plug.GetParameter(i);
    char text[kParamTextSize] = {};
    p->FormatDisplay(text);
    json.BeginObject()
        .Int("index", i)
        .String("name", p->Name())
        .Number("value", p->Value())
        .String("text", text)
        .String("unit", p->Label())
        .EndObject();
  }
  json.EndArray();
}

int WriteDiffJson(const IPlugBase& a, const IPlugBase& b, JsonWriter& json)
{
  int n = 0;
  json.BeginArray("differences");
  for (int i = 0; i < a.NParams(); ++i) {
    const IParameter* pa = a.GetParameter(i);
    const IParameter* pb = b.GetParameter(i);
    if (pa->Value() == pb->Value()) continue;
    ++n;
    char ta[kParamTextSize] = {}, tb[kParamTextSize] = {};
    pa->FormatDisplay(ta);
    pb->FormatDisplay(tb);
    json.BeginObject()
        .Int("index", i)
        .String("name", pa->Name())
        .Number("a", pa->Value())
        .Number("b", pb->Value())
        .String("a_text", ta)
        .String("b_text", tb)
        .String("unit", pa->Label())
        .EndObject();
  }
  json.EndArray();
  return n;
}
