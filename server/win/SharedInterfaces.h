// The logger's own interfaces IQbRigIO and IQbRig are described by the
// driver's type library too. Registering a type library points the key of
// each of its interfaces (Interface\{iid} below the classes root) at that
// library, and unregistering it deletes the key, although the logger, or
// another of its drivers, may have registered these two for itself.
//
// Such a registration is kept: a key of these two that names another type
// library, or none, is copied to the driver's own key
// (Software\QboxK4Driver\Kept interfaces\{iid} in the scope's hive) before
// the type library is registered or unregistered, and put back afterwards.
// The copy made at registration stays until unregistration, which puts it
// back also when the key names the driver's library by then (another
// program registered that over the kept one), and then removes the copies.
// A key that was gone before unregistration is not brought back.
#pragma once

#include <windows.h>

#include <functional>

enum class TypeLibraryStep { Register, Unregister };

// Runs step, the type library's registration or unregistration in the scope
// (per user or machine-wide), keeping the shared interfaces' registrations of
// others. When they cannot be copied aside, step does not run. Returns the
// first failure.
HRESULT keepingSharedInterfaces(bool perUser, TypeLibraryStep stepKind, const std::function<HRESULT()>& step);
