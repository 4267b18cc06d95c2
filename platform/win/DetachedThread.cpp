// The thread is a plain system thread that takes its own reference on the
// module before it starts and gives it back through FreeLibraryAndExitThread,
// which does not return into the module: even when that drops the last
// reference and unloads the DLL, no code of the DLL runs afterwards.
#include "platform/DetachedThread.h"

#include <windows.h>

#include <memory>
#include <system_error>

namespace platform {
namespace {

struct Job {
    std::function<void()> work;
    HMODULE module = nullptr;
};

DWORD WINAPI runJob(void* parameter) {
    HMODULE module = nullptr;
    {
        std::unique_ptr<Job> job(static_cast<Job*>(parameter));
        module = job->module;
        try {
            job->work();
        } catch (...) {
        }
    }
    FreeLibraryAndExitThread(module, 0);
}

}  // namespace

void runDetached(std::function<void()> work) {
    auto job = std::make_unique<Job>();
    job->work = std::move(work);
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&runJob),
                            &job->module))
        throw std::system_error(static_cast<int>(GetLastError()), std::system_category(), "GetModuleHandleExW");
    HANDLE thread = CreateThread(nullptr, 0, runJob, job.get(), 0, nullptr);
    if (!thread) {
        const DWORD error = GetLastError();
        FreeLibrary(job->module);
        throw std::system_error(static_cast<int>(error), std::system_category(), "CreateThread");
    }
    job.release();
    CloseHandle(thread);
}

}  // namespace platform
