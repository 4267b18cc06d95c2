// Facts about the Windows station qbhost runs on, for its messages and the
// report: the INI file's place, the Windows version (and Wine's, under Wine),
// the local time, the user's folders, error texts, and text in the ANSI code
// page as UTF-8.
#pragma once

#include <string>

namespace qbhost {

// quillbox.ini as the driver's private-profile calls resolve it.
std::string iniPath();

// "10.0 build 19045, 64-bit Windows"
std::string windowsVersion();
// "8.0 on Linux 6.1.0-18-amd64"; empty when not under Wine.
std::string wineVersion();

// The local time as "2026-12-06 09:05:03", or with compact true as
// "20261206-090503" (for file names).
std::string localTime(bool compact);

std::string utf8FromAnsi(const std::string& text);

// The system's text for an error code, without the final period.
std::string systemErrorText(unsigned long error);

// The user's profile folder (C:\Users\Name) and Documents folder; empty
// when Windows names none.
std::string profileFolder();
std::string documentsFolder();

bool folderExists(const std::string& path);

}  // namespace qbhost
