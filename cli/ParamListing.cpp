#include "cli/ParamListing.h"

#include "framework/IPlugBase.h"

void PrintParameters(const IPlugBase& plug, std::FILE* out)
{
  std::fprintf(out, "%-5s %-22s %-12s %-12s %-12s %-5s %s\n", "index", "name", "minimum", "maximum",
               "default", "unit", "value");
  for (int i = 0; i < plug.NParams(); ++i) {
    const IParameter* p = plug.GetParameter(i);
    char minText[kParamTextSize], maxText[kParamTextSize], defText[kParamTextSize], value[kParamTextSize];
    std::snprintf(minText, sizeof minText, "%g", p->Min());
    std::snprintf(maxText, sizeof maxText, "%g", p->Max());
    std::snprintf(defText, sizeof defText, "%g", p->Default());
    p->FormatDisplay(value);
    std::fprintf(out, "%-5d %-22s %-12s %-12s %-12s %-5s %s\n", i, p->Name(), minText, maxText, defText,
                 p->Label(), value);
  }
}
