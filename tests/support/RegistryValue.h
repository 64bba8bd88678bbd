#pragma once
// A DWORD under HKEY_CURRENT_USER that a test sets or removes for its own
// run, put back as it was found when the test ends, failed or not.

#include <windows.h>

#include <string>

class CRegistryValue
{
  public:
    CRegistryValue(const char* key, const char* name) : key(key), name(name) { had = read(&found); }
    ~CRegistryValue()
    {
        if (had)
            set(found);
        else
            remove();
    }
    CRegistryValue(const CRegistryValue&) = delete;
    CRegistryValue& operator=(const CRegistryValue&) = delete;

    void set(DWORD value) const
    {
        HKEY opened = nullptr;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                            &opened, nullptr) != ERROR_SUCCESS)
            return;
        RegSetValueExA(opened, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                       sizeof(value));
        RegCloseKey(opened);
    }
    void remove() const
    {
        HKEY opened = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_SET_VALUE, &opened) !=
            ERROR_SUCCESS)
            return;
        RegDeleteValueA(opened, name.c_str());
        RegCloseKey(opened);
    }
    // The value now, 0 when there is none.
    DWORD get() const
    {
        DWORD value = 0;
        return read(&value) ? value : 0;
    }
    // What the value is now is what the end puts back.
    void keep() { had = read(&found); }

  private:
    bool read(DWORD* value) const
    {
        HKEY opened = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_QUERY_VALUE, &opened) !=
            ERROR_SUCCESS)
            return false;
        DWORD type = 0, bytes = sizeof(*value);
        const bool ok = RegQueryValueExA(opened, name.c_str(), nullptr, &type,
                                         reinterpret_cast<BYTE*>(value), &bytes) == ERROR_SUCCESS &&
                        type == REG_DWORD;
        RegCloseKey(opened);
        return ok;
    }

    std::string key;
    std::string name;
    bool had = false;
    DWORD found = 0;
};

// Where the editor remembers its size, and where Wine keeps the screen's DPI.
inline const char kZoomKey[] = "Software\\Zanderwick\\Zanderwick Scope";
inline const char kDesktopKey[] = "Control Panel\\Desktop";

// The program started by a test reads the user settings of the Wine prefix
// itself, which only a test that has the prefix to itself (a display of its
// own) may change. Whatever an earlier test left there, one that was killed
// say, is gone before the program starts, and again when the test ends: no
// choice of size, and the 96 DPI of a fresh prefix.
struct CDefaultUserSettings
{
    CDefaultUserSettings() { reset(); }
    ~CDefaultUserSettings() { reset(); }
    static void reset()
    {
        CRegistryValue zoom(kZoomKey, "Zoom"), dpi(kDesktopKey, "LogPixels");
        zoom.remove();
        dpi.set(96);
        zoom.keep();
        dpi.keep();
    }
};

// Chooses the item'th size (1 for 100 %) from the editor's menu, with a
// right click and keys as a user would: all queued before the menu comes up,
// which reads them from the queue.
inline void chooseFromZoomMenu(HWND frame, int item)
{
    PostMessageA(frame, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 10));
    PostMessageA(frame, WM_RBUTTONUP, 0, MAKELPARAM(10, 10));
    for (int i = 0; i < item; ++i)
        PostMessageA(frame, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(frame, WM_KEYDOWN, VK_RETURN, 0);
}
