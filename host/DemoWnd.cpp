#include "host/DemoWnd.h"

#include <commdlg.h>

#include "audio/WaveOutDevice.h"
#include "editor/ZoomSetting.h"
#include "host/ErrorBox.h"
#include "host/InfoWnd.h"
#include "host/PlugWnd.h"
#include "resources/ResourceIds.h"

#include <initializer_list>

namespace
{
const char kClassName[] = "CDEMOWND";
const char kTitle[] = "Zanderwick Demo";
const DWORD kExStyle = WS_EX_APPWINDOW | WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE;
const DWORD kStyle = WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_SYSMENU;
const char kDefaultFile[] = "Audio\\Zanderwick\\Stereo.wav";
const char kDialogFilter[] = "Wave-Datei (*.wav)\0*.wav\0";
const char kDialogFolder[] = ".\\Audio\\Quillomara";

// The toolbar: 500 x 31 of its background picture, buttons of 23 x 22 with
// the pressed state 22 rows below the normal one.
const int kToolbarWidth = 500;
const int kButtonWidth = 23;
const int kButtonHeight = 22;
const int kPressedOffset = 22;
const int kButtonTop = 4;
const int kOpenLeft = 5;
const int kStopLeft = 87;
const int kPlayLeft = 113;
const int kHelpLeft = 193;

const UINT kBringToTop = SWP_NOMOVE | SWP_NOSIZE;
} // namespace

CDemoWnd::CDemoWnd(HINSTANCE instance_)
    : CWindow(instance_), helpWnd(nullptr), plugWnd(nullptr), player(), playDc(nullptr),
      stopDc(nullptr), toolbarDc(nullptr), openDc(nullptr), helpDc(nullptr), playingShown(0),
      playBitmap(nullptr), stopBitmap(nullptr), toolbarBitmap(nullptr), openBitmap(nullptr),
      helpBitmap(nullptr), chosenPath(), choosing(false), zoom(0)
{
}

CDemoWnd::~CDemoWnd()
{
    for (HDC dc : {playDc, stopDc, toolbarDc, openDc, helpDc})
        if (dc)
            DeleteDC(dc);
    for (HBITMAP bitmap : {playBitmap, stopBitmap, toolbarBitmap, openBitmap, helpBitmap})
        if (bitmap)
            DeleteObject(bitmap);
}

int CDemoWnd::Create(HWND parent)
{
    parentHwnd = parent;

    const HostClass windowClass = {kClassName,
                                   LoadIconA(instance, MAKEINTRESOURCEA(IDI_ZANDERWICK)),
                                   LoadIconA(instance, MAKEINTRESOURCEA(IDI_ZANDERWICK_SMALL)),
                                   static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))};
    if (!CreateHostWindow(windowClass, kExStyle, kTitle, kStyle, parent))
        return 0;
    playingShown = 0;

    LoadToolbar(CZoomSetting::kDefault);

    // The help window opens once the message loop runs.
    PostMessageA(hwnd, WM_COMMAND, kCommandHelp, 0);
    return 1;
}

bool CDemoWnd::LoadToolbar(int percent)
{
    const struct
    {
        HDC* dc;
        HBITMAP* bitmap;
        int id;
    } pictures[] = {{&playDc, &playBitmap, IDB_BUTTON_PLAY},
                    {&stopDc, &stopBitmap, IDB_BUTTON_STOP},
                    {&toolbarDc, &toolbarBitmap, IDB_TOOLBAR_BACKGROUND},
                    {&openDc, &openBitmap, IDB_BUTTON_OPEN},
                    {&helpDc, &helpBitmap, IDB_BUTTON_HELP}};
    const int count = sizeof(pictures) / sizeof(pictures[0]);
    HBITMAP loaded[count] = {};
    bool complete = true;
    for (int i = 0; i < count; ++i)
    {
        if (!*pictures[i].dc)
            *pictures[i].dc = CreateCompatibleDC(windowDc);
        loaded[i] = LoadBitmapA(instance,
                                MAKEINTRESOURCEA(CZoomSetting::pictureId(pictures[i].id, percent)));
        complete = complete && loaded[i] && *pictures[i].dc;
    }
    // All or nothing: a toolbar of mixed sizes, or one whose buttons sit
    // where its pictures do not, would be worse than the old one. Without
    // an old one the buttons are still placed, so that clicks work.
    if (!complete)
    {
        for (HBITMAP bitmap : loaded)
            if (bitmap)
                DeleteObject(bitmap);
        if (zoom)
            return false;
    }
    for (int i = 0; complete && i < count; ++i)
    {
        // The first picture a DC gets replaces its stock one, which stays
        // with the DC; a later one replaces ours, which is no longer
        // selected once the new one is and only then goes.
        SelectObject(*pictures[i].dc, loaded[i]);
        if (*pictures[i].bitmap)
            DeleteObject(*pictures[i].bitmap);
        *pictures[i].bitmap = loaded[i];
    }
    zoom = percent;

    auto at = [percent](int length) { return CZoomSetting::scaled(length, percent); };
    auto button = [&](int left, HDC source)
    {
        return std::make_unique<CToolButton>(at(left), at(kButtonTop), at(kButtonWidth),
                                             at(kButtonHeight), windowDc, source, 0, 0,
                                             at(kPressedOffset));
    };
    openButton = button(kOpenLeft, openDc);
    stopButton = button(kStopLeft, stopDc);
    playButton = button(kPlayLeft, playDc);
    helpButton = button(kHelpLeft, helpDc);
    return complete;
}

int CDemoWnd::FitToolbar(int percent)
{
    if (percent != zoom && LoadToolbar(percent))
        InvalidateRect(hwnd, nullptr, FALSE);
    return CZoomSetting::scaled(kToolbarHeight, zoom);
}

LRESULT CDemoWnd::OnDpiChanged(HWND window, UINT, WPARAM wParam, LPARAM lParam)
{
    // Windows suggests a place on the new screen; the size is the one that
    // holds the toolbar and the editor there, which the plug-in window
    // sets.
    if (const auto* suggested = reinterpret_cast<const RECT*>(lParam))
        SetWindowPos(window, nullptr, suggested->left, suggested->top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (plugWnd)
        plugWnd->FollowDpi(HIWORD(wParam));
    return 0;
}

int CDemoWnd::Attach(HINSTANCE instance_, CPlugWnd* plugWnd_)
{
    plugWnd = plugWnd_;
    player = std::make_unique<CWavePlayer>(instance_, plugWnd, hwnd);
    Ask([](CWavePlayer& p, Refusal& refusal) { return p.LoadFile(kDefaultFile, refusal); });
    return 1;
}

template <typename Call> int CDemoWnd::Ask(Call call)
{
    if (!player)
        return 0;
    Refusal refusal;
    const int result = call(*player, refusal);
    FollowPlayer();
    Tell(refusal);
    return result;
}

void CDemoWnd::FollowPlayer()
{
    if (player)
        ShowTransport(player->IsPlaying());
}

void CDemoWnd::Tell(const Refusal& refusal)
{
    if (!refusal.said())
        return;
    showErrorBox(refusal);
    FollowPlayer();
}

bool CDemoWnd::ChooseFile()
{
    if (choosing)
        return false;
    choosing = true;
    char fileTitle[CWavePlayer::kPathBytes] = {};
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = nullptr;
    dialog.lpstrFilter = kDialogFilter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = chosenPath;
    dialog.nMaxFile = sizeof(chosenPath);
    dialog.lpstrFileTitle = fileTitle;
    dialog.nMaxFileTitle = sizeof(fileTitle) - 1;
    dialog.lpstrInitialDir = kDialogFolder;
    dialog.Flags =
        OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_SHAREAWARE | OFN_LONGNAMES;
    const bool chosen = GetOpenFileNameA(&dialog) != 0;
    // The dialog refuses names longer than its buffer, so the path fits.
    chosenPath[sizeof(chosenPath) - 1] = 0;
    choosing = false;
    return chosen;
}

bool CDemoWnd::IsPlaying() const
{
    return player && player->IsPlaying();
}

void CDemoWnd::ShowTransport(int playing)
{
    playingShown = playing ? 1 : 0;
    playButton->Draw(playingShown);
    stopButton->Draw(!playingShown);
}

void CDemoWnd::StartPlaying()
{
    if (!IsPlaying())
        Ask([](CWavePlayer& p, Refusal& refusal) { return p.Play(refusal); });
}

void CDemoWnd::StopPlaying()
{
    if (IsPlaying())
        Ask([](CWavePlayer& p, Refusal&) { return p.Stop(); });
}

void CDemoWnd::OpenHelp()
{
    helpWnd = new CInfoWnd(instance, &helpWnd, zoom);
    if (!helpWnd->Create(nullptr))
    {
        delete helpWnd;
        helpWnd = nullptr;
        return;
    }
    ShowWindow(helpWnd->GetHwnd(), SW_SHOWNORMAL);
}

LRESULT CDemoWnd::OnLButtonDown(HWND, UINT, WPARAM, LPARAM lParam)
{
    const int x = LOWORD(lParam);
    const int y = HIWORD(lParam);
    if (openButton->HitTest(x, y))
    {
        openButton->Draw(1);
        if (ChooseFile())
            Ask([this](CWavePlayer& p, Refusal& refusal)
                { return p.LoadFile(chosenPath, refusal); });
        openButton->Draw(0);
    }
    if (helpButton->HitTest(x, y))
    {
        if (!helpWnd)
            OpenHelp();
        else
            SetWindowPos(helpWnd->GetHwnd(), HWND_TOP, 0, 0, 0, 0, kBringToTop);
    }
    if (playButton->HitTest(x, y))
        StartPlaying();
    if (stopButton->HitTest(x, y))
        StopPlaying();
    return 0;
}

LRESULT CDemoWnd::OnKeyDown(HWND, UINT, WPARAM wParam, LPARAM)
{
    switch (wParam)
    {
    case VK_RETURN:
        StartPlaying();
        break;
    case VK_SPACE:
        if (IsPlaying())
            StopPlaying();
        else
            StartPlaying();
        break;
    case VK_NUMPAD0:
        StopPlaying();
        break;
    default:
        break;
    }
    return 0;
}

LRESULT CDemoWnd::OnCommand(HWND window, UINT, WPARAM wParam, LPARAM)
{
    switch (LOWORD(wParam))
    {
    case kCommandQuit:
        // The controller lets a stuck feeder go; dropping it never waits long.
        player.reset();
        PostQuitMessage(0);
        break;
    case kCommandHelp:
        if (!helpWnd)
        {
            OpenHelp();
            // The help window opens behind the main window.
            SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, kBringToTop);
        }
        break;
    default:
        break;
    }
    return 0;
}

LRESULT CDemoWnd::OnPaint(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!GetUpdateRect(window, nullptr, TRUE))
        return 0;
    ValidateRect(window, nullptr);
    BitBlt(windowDc, 0, 0, CZoomSetting::scaled(kToolbarWidth, zoom),
           CZoomSetting::scaled(kToolbarHeight, zoom), toolbarDc, 0, 0, SRCCOPY);
    ShowTransport(playingShown);
    openButton->Draw(0);
    helpButton->Draw(0);
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CDemoWnd::OnDestroy(HWND, UINT, WPARAM, LPARAM)
{
    player.reset();
    PostQuitMessage(0);
    return 0;
}

LRESULT CDemoWnd::OnUser(HWND, UINT, WPARAM, LPARAM)
{
    FollowPlayer();
    if (player && player->TakeDeviceFailure())
        Tell(CWaveOutDevice::busy());
    return 0;
}
