// The registry content of a class, as rows that the Windows registrar writes
// below the classes root (HKEY_CLASSES_ROOT, or the current user's
// Software\Classes for a per-user registration). The class key is removed
// whole before it is written again and on unregistration; CLSID itself stays.
#pragma once

#include <string>
#include <vector>

#include "server/ClassTable.h"

namespace com {

struct RegistryRow {
    enum class Data { KeyOnly, Text, ModulePath };

    std::string key;        // path below the classes root
    std::string valueName;  // empty for the key's default value
    Data data;
    std::string text;       // the value when data is Text
};

struct ClassKeys {
    std::string classKey;           // "CLSID\{clsid}"
    std::vector<RegistryRow> rows;  // in the order they are written
};

// "{ddc012f8-a786-4584-856d-044bc1f49414}": braces, lower-case hexadecimal.
std::string guidText(const GUID& guid);

ClassKeys classKeys(const ClassEntry& entry);

}  // namespace com
