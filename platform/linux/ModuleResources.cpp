#include "platform/ModuleResources.h"

namespace platform {
namespace {

struct StringResource {
    UINT id;
    const char16_t* text;
};

const StringResource kStrings[] = {
    {101, u"IP edit..."},
};

}  // namespace

void* moduleHandle() { return nullptr; }

BSTR loadStringResource(UINT id) {
    for (const StringResource& s : kStrings)
        if (s.id == id) return SysAllocString(s.text);
    return nullptr;
}

}  // namespace platform
