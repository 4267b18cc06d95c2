// Portable private-profile (INI) functions with the semantics of the Windows
// functions GetPrivateProfileStringA, GetPrivateProfileIntA and
// WritePrivateProfileStringA, on a file named by its full path. The Linux
// build provides those functions with these; the Windows build compiles them
// too so that its tests can compare them with the system's.
//
// Concurrency: every call holds one process-wide mutex while it reads or
// rewrites its file, so calls from several threads never see a half-written
// file of this process.
#pragma once

#include <cstdint>
#include <string>

namespace platform::profile {

// Copies the key's value, or the default when the file, the section, the key
// or the key's '=' is missing, into the buffer: a value enclosed in a matching
// pair of single or double quotes loses them, the default loses its trailing
// spaces, and the text is cut to capacity - 1 characters and terminated.
// Returns the number of characters copied; a capacity of 0 copies nothing.
// A null section or key (the listing forms) gives an empty text.
uint32_t getString(const std::string& path, const char* section, const char* key, const char* defaultValue,
                   char* buffer, uint32_t capacity);

// The key's value read as an integer, or the default when the value is
// missing or empty. Reading skips leading blanks and control characters,
// takes a sign and the prefixes "0x", "0o" and "0b", then digits until the
// first one that does not belong to the base; the result wraps modulo 2^32
// and a value that begins with no digit gives 0. Only the first 29
// characters of the value are read.
uint32_t getInt(const std::string& path, const char* section, const char* key, int defaultValue);

// Sets the key's value (less its leading blanks), creating the file, the
// section and the key as needed; a null value removes the key (from the
// first section of the name that has it) and a null key the first section of
// the name. The file is rewritten only when something changed. Returns
// false when the section is null or the file cannot be read or written.
bool writeString(const std::string& path, const char* section, const char* key, const char* value);

}  // namespace platform::profile
