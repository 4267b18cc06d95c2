// The private-profile functions of the Linux build. A bare file name (no '/')
// names a file in the folder given by QBOX_INI_DIR, or the current folder
// when it is unset, as Windows resolves one to its Windows folder; the name
// matches an existing file case-insensitively, as names do on Windows.
#include "platform/Profile.h"

#include <dirent.h>

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/portable/Profile.h"
#include "platform/portable/ProfileDocument.h"

namespace {

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

std::string iniFolder() {
    const char* folder = std::getenv("QBOX_INI_DIR");
    return folder && *folder ? folder : ".";
}

// The name of an existing entry of the folder that equals the given name but
// for case; the name itself when there is none.
std::string existingName(const std::string& folder, const std::string& name) {
    std::unique_ptr<DIR, DirCloser> dir(opendir(folder.c_str()));
    if (!dir) return name;
    while (const dirent* entry = readdir(dir.get())) {
        if (platform::profile::equalsIgnoringCase(entry->d_name, name)) return entry->d_name;
    }
    return name;
}

std::string resolve(LPCSTR fileName) {
    const std::string name = fileName ? fileName : "win.ini";
    if (name.find('/') != std::string::npos) return name;
    const std::string folder = iniFolder();
    return folder + "/" + existingName(folder, name);
}

}  // namespace

EXTERN_C DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer,
                                        DWORD capacity, LPCSTR fileName) {
    try {
        return platform::profile::getString(resolve(fileName), section, key, defaultValue, buffer, capacity);
    } catch (...) {
        if (buffer && capacity) buffer[0] = '\0';
        return 0;
    }
}

EXTERN_C UINT GetPrivateProfileIntA(LPCSTR section, LPCSTR key, int defaultValue, LPCSTR fileName) {
    try {
        return platform::profile::getInt(resolve(fileName), section, key, defaultValue);
    } catch (...) {
        return static_cast<UINT>(defaultValue);
    }
}

// A failure leaves errno set, as the Windows function leaves its last error:
// the failing call's, or EIO when none said why.
EXTERN_C BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName) {
    errno = 0;
    bool written = false;
    try {
        written = platform::profile::writeString(resolve(fileName), section, key, value);
    } catch (...) {
    }
    if (!written && errno == 0) errno = EIO;
    return written ? TRUE : FALSE;
}
