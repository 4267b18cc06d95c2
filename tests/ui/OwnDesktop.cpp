#include "OwnDesktop.h"

#include <windows.h>

#include <string>

bool useOwnDesktop(int width, int height) {
  // Wine makes a named desktop virtual when the prefix's registry gives it
  // a size; the name is this program's alone.
  const char* name = "QboxDialogTest";
  const std::string size = std::to_string(width) + "x" + std::to_string(height);
  if (RegSetKeyValueA(HKEY_CURRENT_USER, "Software\\Wine\\Explorer\\Desktops", name, REG_SZ, size.c_str(),
                      static_cast<DWORD>(size.size() + 1)) != ERROR_SUCCESS)
    return false;
  HDESK desktop = CreateDesktopA(name, nullptr, nullptr, 0, GENERIC_ALL, nullptr);
  return desktop && SetThreadDesktop(desktop);
}
