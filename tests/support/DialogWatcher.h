#pragma once
// Test utility: answers modal dialogs of the process under test, so that code
// calling the real MessageBoxA or GetOpenFileNameA can run without blocking.

#include <windows.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

struct SeenDialog
{
    std::string caption;
    std::string text; // the message text of a message box
    LONG style;       // GWL_STYLE
    LONG exStyle;     // GWL_EXSTYLE (WS_EX_TOPMOST for MB_TOPMOST on Windows)
    bool errorIcon;   // shows the system's error (hand) icon
};

class CDialogWatcher
{
  public:
    using Action = std::function<void(HWND)>;

    // Watches for visible top-level windows of this process (or of the one
    // given) with the given window class and caption. Each one found is
    // recorded and handed to the action, which by default presses OK.
    explicit CDialogWatcher(const char* className = "#32770", const char* caption = "ERROR",
                            Action action = pressOk, DWORD processId = GetCurrentProcessId());
    ~CDialogWatcher();

    CDialogWatcher(const CDialogWatcher&) = delete;
    CDialogWatcher& operator=(const CDialogWatcher&) = delete;

    // Waits until at least `count` dialogs were answered; false on time-out.
    bool waitFor(size_t count = 1, DWORD timeoutMs = 10000);

    std::vector<SeenDialog> seen();
    size_t count();

    // Presses the dialog's OK button.
    static void pressOk(HWND dialog);

  private:
    static DWORD WINAPI threadMain(LPVOID self);
    void poll();

    std::string className_;
    std::string caption_;
    Action action_;
    DWORD processId_;
    HANDLE thread_ = nullptr;
    volatile LONG stop_ = 0;
    std::mutex lock_;
    std::vector<SeenDialog> seen_;
    std::vector<HWND> answered_;
};
