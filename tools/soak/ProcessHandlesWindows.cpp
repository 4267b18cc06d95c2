// GetProcessHandleCount, or where it reports none (Wine 8 answers 0 for
// every process) this process's entries in the system's handle table.
#include <windows.h>

#include <vector>

#include "ProcessGauge.h"

namespace soak {
namespace {

constexpr ULONG kSystemHandleInformation = 16;
constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);

struct HandleEntry {
    ULONG ownerPid;
    BYTE objectType;
    BYTE flags;
    USHORT handle;
    PVOID object;
    ACCESS_MASK access;
};

struct HandleTable {
    ULONG count;
    HandleEntry entries[1];
};

using QuerySystemInformation = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);

long countInHandleTable() {
    const auto query = reinterpret_cast<QuerySystemInformation>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    if (!query) return 0;
    std::vector<char> buffer(64 * 1024);
    LONG status = kInfoLengthMismatch;
    for (int tries = 0; status == kInfoLengthMismatch && tries < 8; ++tries) {
        ULONG needed = 0;
        status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
        if (status == kInfoLengthMismatch) buffer.resize(buffer.size() * 2 > needed ? buffer.size() * 2 : needed);
    }
    if (status != 0) return 0;
    const auto* table = reinterpret_cast<const HandleTable*>(buffer.data());
    const DWORD self = GetCurrentProcessId();
    long count = 0;
    for (ULONG i = 0; i < table->count; ++i) count += table->entries[i].ownerPid == self ? 1 : 0;
    return count;
}

}  // namespace

long countOwnHandles() {
    DWORD count = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &count) && count > 0) return static_cast<long>(count);
    return countInHandleTable();
}

}  // namespace soak
