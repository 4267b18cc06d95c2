#include "server/RegistryRows.h"

#include <cstdio>

namespace com {

std::string guidText(const GUID& g) {
    char text[39];
    std::snprintf(text, sizeof text, "{%08x-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x}",
                  static_cast<unsigned>(g.Data1), g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2],
                  g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
    return text;
}

ClassKeys classKeys(const ClassEntry& entry) {
    using Data = RegistryRow::Data;
    const ClassRegistration& reg = *entry.registration;
    const std::string key = "CLSID\\" + guidText(*entry.clsid);

    ClassKeys keys{key, {}};
    std::vector<RegistryRow>& rows = keys.rows;
    rows.push_back({key, "", Data::Text, reg.description});
    rows.push_back({key + "\\InprocServer32", "", Data::ModulePath, ""});
    rows.push_back({key + "\\InprocServer32", "ThreadingModel", Data::Text, reg.threadingModel});
    if (reg.typeLibrary) rows.push_back({key + "\\TypeLib", "", Data::Text, guidText(*reg.typeLibrary)});
    rows.push_back({key + "\\Version", "", Data::Text, reg.version});
    if (reg.category) rows.push_back({key + "\\Implemented Categories\\" + reg.category, "", Data::KeyOnly, ""});
    return keys;
}

}  // namespace com
