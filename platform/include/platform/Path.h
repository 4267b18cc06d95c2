// The separator between a folder and a file name in the paths the driver
// composes. Windows uses '\'; Linux uses '/' and also takes a folder that a
// Windows-minded setting ends with '\' as already terminated.
#pragma once

#include <string>

namespace platform {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
inline bool isPathSeparator(char c) { return c == '\\'; }
#else
inline constexpr char kPathSeparator = '/';
inline bool isPathSeparator(char c) { return c == '/' || c == '\\'; }
#endif

// The folder followed by the file name, with one separator between them
// unless the folder already ends with one.
inline std::string joinPath(const std::string& folder, const std::string& fileName) {
    std::string path = folder;
    if (path.empty() || !isPathSeparator(path.back())) path += kPathSeparator;
    return path + fileName;
}

}  // namespace platform
