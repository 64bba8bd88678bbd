#include "host/DemoWnd.h"

#include "audio/WavePlayer.h"
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
      helpBitmap(nullptr), closing(0)
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
    for (const auto& picture : pictures)
        *picture.dc = CreateCompatibleDC(windowDc);
    for (const auto& picture : pictures)
    {
        *picture.bitmap = LoadBitmapA(instance, MAKEINTRESOURCEA(picture.id));
        SelectObject(*picture.dc, *picture.bitmap);
    }

    openButton = std::make_unique<CToolButton>(kOpenLeft, kButtonTop, kButtonWidth, kButtonHeight,
                                               windowDc, openDc, 0, 0, kPressedOffset);
    stopButton = std::make_unique<CToolButton>(kStopLeft, kButtonTop, kButtonWidth, kButtonHeight,
                                               windowDc, stopDc, 0, 0, kPressedOffset);
    playButton = std::make_unique<CToolButton>(kPlayLeft, kButtonTop, kButtonWidth, kButtonHeight,
                                               windowDc, playDc, 0, 0, kPressedOffset);
    helpButton = std::make_unique<CToolButton>(kHelpLeft, kButtonTop, kButtonWidth, kButtonHeight,
                                               windowDc, helpDc, 0, 0, kPressedOffset);

    // The help window opens once the message loop runs.
    PostMessageA(hwnd, WM_COMMAND, kCommandHelp, 0);
    return 1;
}

int CDemoWnd::Attach(HINSTANCE instance_, CPlugWnd* plugWnd_)
{
    plugWnd = plugWnd_;
    player = std::make_unique<CWavePlayer>(instance_, plugWnd, hwnd);
    Ask([](CWavePlayer& p) { return p.LoadFile(kDefaultFile); });
    return 1;
}

template <typename Call> int CDemoWnd::Ask(Call call)
{
    CWavePlayer* asked = player.get();
    if (!asked)
        return 0;
    const int result = call(*asked);
    FollowPlayer(asked);
    return result;
}

void CDemoWnd::FollowPlayer(CWavePlayer* asked)
{
    if (!Settle(asked))
        return;
    ShowTransport(asked->IsPlaying());
    // What the feeder gave up on is told once the toolbar shows it.
    asked->TellNews();
    if (Settle(asked))
        ShowTransport(asked->IsPlaying());
}

bool CDemoWnd::Settle(CWavePlayer* asked)
{
    if (!asked || player.get() != asked)
        return false;
    if (!closing)
        return true;
    // The window was closed while a call showed a message box or the open
    // dialog: the controller goes once nothing runs in it any more.
    if (!asked->IsBusy())
        player.reset();
    return false;
}

void CDemoWnd::EndPlayer()
{
    if (!player || closing)
        return;
    closing = 1;
    // A feeder stuck in a driver call still uses its controller; the process
    // ends right after this, so it is left to that end.
    if (!player->Shutdown())
        static_cast<void>(player.release());
    else if (!player->IsBusy())
        player.reset();
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
        Ask([](CWavePlayer& p) { return p.Play(); });
}

void CDemoWnd::StopPlaying()
{
    if (IsPlaying())
        Ask([](CWavePlayer& p) { return p.Stop(); });
}

void CDemoWnd::OpenHelp()
{
    helpWnd = new CInfoWnd(instance, &helpWnd);
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
        Ask([](CWavePlayer& p) { return p.OpenFromDialog(); });
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
        EndPlayer();
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
    BitBlt(windowDc, 0, 0, kToolbarWidth, kToolbarHeight, toolbarDc, 0, 0, SRCCOPY);
    ShowTransport(playingShown);
    openButton->Draw(0);
    helpButton->Draw(0);
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CDemoWnd::OnDestroy(HWND, UINT, WPARAM, LPARAM)
{
    EndPlayer();
    PostQuitMessage(0);
    return 0;
}

LRESULT CDemoWnd::OnUser(HWND, UINT, WPARAM, LPARAM)
{
    // The feeder's news: a stream it had to give up.
    FollowPlayer(player.get());
    return 0;
}
