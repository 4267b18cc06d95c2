// The three private-profile (INI) functions the driver uses. On Windows they
// are the system's; on Linux platform/linux/Profile.cpp provides them with
// the same semantics, keeping the files in the folder named by the
// environment variable QBOX_INI_DIR (the current folder when it is unset).
#pragma once

#include "platform/Ole.h"

#ifndef _WIN32
EXTERN_C DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer,
                                        DWORD capacity, LPCSTR fileName);
EXTERN_C UINT GetPrivateProfileIntA(LPCSTR section, LPCSTR key, int defaultValue, LPCSTR fileName);
EXTERN_C BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName);
#endif
