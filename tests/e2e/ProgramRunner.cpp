#include "tests/e2e/ProgramRunner.h"

#include <cstdio>

std::string executableFolder()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.find_last_of("\\/") + 1);
}

CProgramRunner::CProgramRunner(const std::string& exeName, const std::string& workFolder)
    : exePath(executableFolder() + exeName), folder(workFolder)
{
}

CProgramRunner::~CProgramRunner()
{
    if (info.hProcess)
    {
        if (WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT)
        {
            TerminateProcess(info.hProcess, 1);
            WaitForSingleObject(info.hProcess, 5000);
        }
        CloseHandle(info.hProcess);
        CloseHandle(info.hThread);
    }
}

bool CProgramRunner::start()
{
    CreateDirectoryA(folder.c_str(), nullptr);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    std::string commandLine = "\"" + exePath + "\"";
    return CreateProcessA(exePath.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                          folder.c_str(), &startup, &info) != 0;
}

bool CProgramRunner::waitForExit(DWORD timeoutMs, DWORD* exitCode)
{
    if (WaitForSingleObject(info.hProcess, timeoutMs) != WAIT_OBJECT_0)
        return false;
    GetExitCodeProcess(info.hProcess, exitCode);
    return true;
}

namespace
{
struct Search
{
    DWORD pid;
    const char* className;
    std::vector<HWND>* found;
    std::vector<std::string>* visible;
};

BOOL CALLBACK visitChildren(HWND hwnd, LPARAM param)
{
    auto* search = reinterpret_cast<Search*>(param);
    char cls[256] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    if (search->className && lstrcmpA(cls, search->className) == 0)
        search->found->push_back(hwnd);
    return TRUE;
}

BOOL CALLBACK visit(HWND hwnd, LPARAM param)
{
    auto* search = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != search->pid)
        return TRUE;
    char cls[256] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    if (search->visible && IsWindowVisible(hwnd))
        search->visible->push_back(cls);
    visitChildren(hwnd, param);
    EnumChildWindows(hwnd, visitChildren, param);
    return TRUE;
}
} // namespace

std::vector<HWND> CProgramRunner::windows(const char* className)
{
    std::vector<HWND> found;
    Search search = {info.dwProcessId, className, &found, nullptr};
    EnumWindows(visit, reinterpret_cast<LPARAM>(&search));
    return found;
}

bool CProgramRunner::isRunning() const
{
    return info.hProcess && WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT;
}

HWND CProgramRunner::findWindow(const char* className, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;)
    {
        std::vector<HWND> found = windows(className);
        if (!found.empty() || !isRunning() || GetTickCount() - start >= timeoutMs)
            return found.empty() ? nullptr : found.front();
        Sleep(50);
    }
}

std::vector<std::string> CProgramRunner::visibleWindowClasses()
{
    std::vector<std::string> classes;
    Search search = {info.dwProcessId, nullptr, nullptr, &classes};
    EnumWindows(visit, reinterpret_cast<LPARAM>(&search));
    return classes;
}
