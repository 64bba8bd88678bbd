#include "editor/ZoomSetting.h"

constexpr int32_t CZoomSetting::kSizes[];

namespace
{
const char kTagName[] = "Zanderwick Scope Zoom";

using DpiForWindowProc = UINT(WINAPI*)(HWND);
using ProcessAwareProc = BOOL(WINAPI*)();

// Looked up at run time: older Windows lacks the per-window DPI, and a
// plug-in must load there all the same.
template <typename Proc> Proc user32Entry(const char* name)
{
    HMODULE user32 = GetModuleHandleA("user32.dll");
    return user32 ? reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(user32, name)))
                  : nullptr;
}

// A DWORD of our key; false when there is none.
bool readValue(const char* name, DWORD& value)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, CZoomSetting::kKeyPath, 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS)
        return false;
    DWORD type = 0;
    DWORD bytes = sizeof(value);
    const LONG result =
        RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &bytes);
    RegCloseKey(key);
    // Anything but a DWORD is as if nothing were stored.
    return result == ERROR_SUCCESS && type == REG_DWORD && bytes == sizeof(value);
}

bool writeValue(const char* name, DWORD value)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, CZoomSetting::kKeyPath, 0, nullptr, 0, KEY_SET_VALUE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    const LONG result = RegSetValueExA(key, name, 0, REG_DWORD,
                                       reinterpret_cast<const BYTE*>(&value), sizeof(value));
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}
} // namespace

bool CZoomSetting::isSize(int32_t percent)
{
    return isPanelSize(percent);
}

int32_t CZoomSetting::forDpi(int32_t dpi)
{
    return zoomForDpi(dpi);
}

int32_t CZoomSetting::remembered()
{
    DWORD value = 0;
    // Anything but one of our sizes is as if nothing were stored.
    if (!readValue(kValueName, value) || value > 1000 || !isSize(static_cast<int32_t>(value)))
        return 0;
    return static_cast<int32_t>(value);
}

bool CZoomSetting::remember(int32_t percent)
{
    return isSize(percent) && writeValue(kValueName, static_cast<DWORD>(percent));
}

bool CZoomSetting::bandsRemembered()
{
    DWORD value = 0;
    return readValue(kBandsValueName, value) && value == 1;
}

bool CZoomSetting::rememberBands(bool shown)
{
    return writeValue(kBandsValueName, shown ? 1 : 0);
}

int32_t CZoomSetting::dpiOf(HWND window)
{
    const auto processAware = user32Entry<ProcessAwareProc>("IsProcessDPIAware");
    if (!processAware || !processAware())
        return 0;
    if (window)
        if (const auto dpiForWindow = user32Entry<DpiForWindowProc>("GetDpiForWindow"))
            if (const UINT dpi = dpiForWindow(window))
                return static_cast<int32_t>(dpi);
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen)
        ReleaseDC(nullptr, screen);
    return dpi;
}

int32_t CZoomSetting::current(HWND window)
{
    if (const int32_t chosen = remembered())
        return chosen;
    const int32_t dpi = dpiOf(window);
    return dpi > 0 ? forDpi(dpi) : kDefault;
}

void CZoomSetting::tag(HWND editorWindow, int32_t percent)
{
    if (!editorWindow)
        return;
    if (percent)
        SetPropA(editorWindow, kTagName, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(percent)));
    else
        RemovePropA(editorWindow, kTagName);
}

int32_t CZoomSetting::tagOf(HWND editorWindow)
{
    const INT_PTR percent =
        editorWindow ? reinterpret_cast<INT_PTR>(GetPropA(editorWindow, kTagName)) : 0;
    return isSize(static_cast<int32_t>(percent)) ? static_cast<int32_t>(percent) : 0;
}

int32_t CZoomSetting::pictureId(int32_t id, int32_t percent)
{
    for (int32_t place = 0; place < kSizeCount; ++place)
        if (kSizes[place] == percent)
            return id + place * IDB_ZOOM_STEP;
    return id;
}
