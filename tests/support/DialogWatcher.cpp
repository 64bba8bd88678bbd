#include "tests/support/DialogWatcher.h"

#include <algorithm>

namespace
{
// The message box's text control.
const int kMessageTextId = 0xFFFF;

std::string windowText(HWND hwnd)
{
    char buffer[1024] = {};
    GetWindowTextA(hwnd, buffer, sizeof buffer);
    return buffer;
}

// The icon control's number differs between Windows and Wine, so look for
// the static control that shows an icon.
bool showsIcon(HWND dialog, HICON icon)
{
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    {
        char cls[32] = {};
        GetClassNameA(child, cls, sizeof cls);
        if (lstrcmpiA(cls, "Static") == 0 &&
            (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
            reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0)) == icon)
            return true;
    }
    return false;
}

struct Search
{
    DWORD processId;
    const std::string* className;
    const std::string* caption;
    std::vector<HWND> found;
};

BOOL CALLBACK collect(HWND hwnd, LPARAM param)
{
    auto* search = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != search->processId || !IsWindowVisible(hwnd))
        return TRUE;
    char cls[256] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    if (*search->className == cls && *search->caption == windowText(hwnd))
        search->found.push_back(hwnd);
    return TRUE;
}
} // namespace

CDialogWatcher::CDialogWatcher(const char* className, const char* caption, Action action,
                               DWORD processId)
    : className_(className), caption_(caption), action_(std::move(action)), processId_(processId)
{
    thread_ = CreateThread(nullptr, 0, threadMain, this, 0, nullptr);
}

CDialogWatcher::~CDialogWatcher()
{
    InterlockedExchange(&stop_, 1);
    if (thread_)
    {
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
    }
}

DWORD WINAPI CDialogWatcher::threadMain(LPVOID self)
{
    auto* watcher = static_cast<CDialogWatcher*>(self);
    while (!watcher->stop_)
    {
        watcher->poll();
        Sleep(20);
    }
    return 0;
}

void CDialogWatcher::poll()
{
    Search search{processId_, &className_, &caption_, {}};
    EnumWindows(collect, reinterpret_cast<LPARAM>(&search));
    for (HWND dialog : search.found)
    {
        {
            std::lock_guard<std::mutex> guard(lock_);
            // A dismissed dialog may stay visible for a moment; answer it once.
            if (std::find(answered_.begin(), answered_.end(), dialog) != answered_.end())
                continue;
        }
        SeenDialog seen;
        seen.caption = windowText(dialog);
        char text[1024] = {};
        GetDlgItemTextA(dialog, kMessageTextId, text, sizeof text);
        seen.text = text;
        seen.style = GetWindowLongA(dialog, GWL_STYLE);
        seen.exStyle = GetWindowLongA(dialog, GWL_EXSTYLE);
        seen.errorIcon = showsIcon(dialog, LoadIconA(nullptr, IDI_HAND));
        action_(dialog);
        std::lock_guard<std::mutex> guard(lock_);
        answered_.push_back(dialog);
        seen_.push_back(seen);
    }
}

bool CDialogWatcher::waitFor(size_t count, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    while (this->count() < count)
    {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(10);
    }
    return true;
}

std::vector<SeenDialog> CDialogWatcher::seen()
{
    std::lock_guard<std::mutex> guard(lock_);
    return seen_;
}

size_t CDialogWatcher::count()
{
    std::lock_guard<std::mutex> guard(lock_);
    return seen_.size();
}

void CDialogWatcher::pressOk(HWND dialog)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
}
