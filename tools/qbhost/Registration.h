// Where the driver's class is registered, looked up in the registry as COM
// in a 32-bit program such as the logger finds it: for all users and for the
// current user, in the registry's 32-bit view; and, on 64-bit Windows, for
// all users in the 64-bit view, where the 64-bit regsvr32 puts it and a
// 32-bit program never looks. Also whether qbhost runs elevated: Windows
// gives elevated programs no per-user registrations.
#pragma once

#include <string>

namespace qbhost {

struct ClassRegistration {
    bool found = false;
    std::string key;              // e.g. HKEY_CURRENT_USER\Software\Classes\CLSID\{...}
    std::string path;             // the DLL it names
    std::string threadingModel;
};

struct Registrations {
    ClassRegistration allUsers;
    ClassRegistration perUser;
    ClassRegistration allUsers64;  // 64-bit Windows only
};

Registrations findRegistrations();
bool runsElevated();
bool onWindows64();

// A file's version record ("12.0.73.4"), read as data; empty without one.
std::string fileVersion(const std::string& path);

// The 32-bit regsvr32: in SysWOW64 on 64-bit Windows, in System32 otherwise.
std::string regsvr32Path();

// One line per registration found, or "not registered" lines, for the report.
std::string registrationLines(const Registrations& found);

// Why COM found no class for qbhost, and how to register the driver: the
// lines after "the K4 driver is not registered".
std::string notRegisteredHint(const Registrations& found, bool elevated);

}  // namespace qbhost
