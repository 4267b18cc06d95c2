// Joining a folder and a file name in the paths the driver composes. Windows
// separates them with '\'. Linux uses '/' and takes a folder that ends with
// '/' or, as a Windows-minded setting may, with '\' as already terminated.
#pragma once

#include <string>

namespace platform {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
inline bool isTerminator(char c) { return c == '\\'; }
#else
inline constexpr char kPathSeparator = '/';
inline bool isTerminator(char c) { return c == '/' || c == '\\'; }
#endif

// The folder, one separator and the file name: a folder's own terminator
// stands for the separator (on Linux a '\' is turned into '/').
inline std::string joinPath(const std::string& folder, const std::string& fileName) {
    std::string path = folder;
    if (!path.empty() && isTerminator(path.back())) path.pop_back();
    return path + kPathSeparator + fileName;
}

}  // namespace platform
