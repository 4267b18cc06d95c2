// Self-registration of the server: the class keys of every row of the object
// map and the type library embedded in the DLL, machine-wide or for the
// current user only. Both directions run with the thread locale set to the
// system default and restore it afterwards, and keep the registrations of
// the logger's interfaces that name another type library
// (SharedInterfaces.h).
#pragma once

#include <windows.h>

#include <string>

#include "server/ClassTable.h"

enum class RegistrationScope { Machine, User };

// Writes the class keys (each class key recreated whole), then registers the
// type library found in modulePath; stops at the first failure and returns it.
HRESULT registerServer(const com::ClassTable& classes, const std::wstring& modulePath, RegistrationScope scope);

// Removes the class keys and unregisters the type library. Every step runs,
// so that a half-written registration is cleaned up as far as possible; the
// first failure is returned.
HRESULT unregisterServer(const com::ClassTable& classes, RegistrationScope scope);
