#include "server/win/Registration.h"

#include "server/RegistryRows.h"
#include "server/win/Registrar.h"
#include "server/win/SharedInterfaces.h"
#include "server/win/TypeLibRegistration.h"

namespace {

// Sets the thread locale to the system default for the life of the scope, so
// that registration does not depend on the caller's locale.
class SystemLocaleScope {
public:
    SystemLocaleScope() : saved_(GetThreadLocale()) { SetThreadLocale(LOCALE_SYSTEM_DEFAULT); }
    ~SystemLocaleScope() { SetThreadLocale(saved_); }

    SystemLocaleScope(const SystemLocaleScope&) = delete;
    SystemLocaleScope& operator=(const SystemLocaleScope&) = delete;

private:
    LCID saved_;
};

void keepFirstFailure(HRESULT& first, HRESULT hr) {
    if (SUCCEEDED(first) && FAILED(hr)) first = hr;
}

}  // namespace

HRESULT registerServer(const com::ClassTable& classes, const std::wstring& modulePath, RegistrationScope scope) {
    SystemLocaleScope locale;
    const bool perUser = scope == RegistrationScope::User;
    for (const com::ClassEntry& entry : classes) {
        const HRESULT hr = writeClassKeys(com::classKeys(entry), modulePath, perUser);
        if (FAILED(hr)) return hr;
    }
    return keepingSharedInterfaces(perUser, TypeLibraryStep::Register,
                                   [&] { return registerTypeLibrary(modulePath, perUser); });
}

HRESULT unregisterServer(const com::ClassTable& classes, RegistrationScope scope) {
    SystemLocaleScope locale;
    const bool perUser = scope == RegistrationScope::User;
    HRESULT first = S_OK;
    for (const com::ClassEntry& entry : classes) keepFirstFailure(first, removeClassKeys(com::classKeys(entry), perUser));
    keepFirstFailure(first, keepingSharedInterfaces(perUser, TypeLibraryStep::Unregister,
                                                    [&] { return unregisterTypeLibrary(perUser); }));
    return first;
}
