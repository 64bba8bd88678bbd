#pragma once
// Test utility: starts a build of the program in a working folder of its
// own, finds its windows, and reads its 32-bit exit code.

#include <windows.h>

#include <string>
#include <vector>

class CProgramRunner
{
  public:
    // `exeName` is relative to the test executable's folder.
    CProgramRunner(const std::string& exeName, const std::string& workFolder);
    ~CProgramRunner();

    bool start();
    // Waits for the process to end; false on time-out.
    bool waitForExit(DWORD timeoutMs, DWORD* exitCode);
    // Whether the process has not ended yet.
    bool isRunning() const;
    // Top-level and child windows of the process with this class name; waits
    // up to timeoutMs for one while the process runs.
    HWND findWindow(const char* className, DWORD timeoutMs = 0);
    std::vector<HWND> windows(const char* className);
    // Every top-level window of the process that was seen visible so far.
    std::vector<std::string> visibleWindowClasses();
    DWORD processId() const { return info.dwProcessId; }
    const std::string& path() const { return exePath; }

  private:
    std::string exePath;
    std::string folder;
    PROCESS_INFORMATION info = {};
};

// The folder of the running test executable, with a trailing backslash.
std::string executableFolder();
