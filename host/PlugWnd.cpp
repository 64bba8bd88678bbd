#include "host/PlugWnd.h"

#include "editor/ZoomSetting.h"

namespace
{
const int32_t kHostVersion = 2;
const int32_t kIdleSleepMs = 5;

const char kClassName[] = "CPLUGWND";
const DWORD kStyle = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
// The demo window's frame around the editor, and the offsets that centre
// the whole window a little left of and above the screen's middle.
const int kExtraWidth = 10;
const int kExtraHeight = 60;
// The DPI the fixed frame above is made for.
const int kDpiAt100 = 96;
const int kLeftShift = 10;
const int kUpShift = 64;
const UINT_PTR kIdleTimer = 1;
const UINT kIdleMilliseconds = 50;
} // namespace

VstIntPtr ZW_VSTCALL HostCallback(AEffect* effect, int32_t opcode, int32_t index, VstIntPtr value,
                                  void* /*ptr*/, float /*opt*/)
{
    switch (opcode)
    {
    case audioMasterVersion:
        return kHostVersion;
    case audioMasterCurrentId:
        return kHostCurrentId;
    case audioMasterIdle:
        Sleep(kIdleSleepMs);
        return 0;
    case audioMasterSizeWindow:
        // The plug-in window put itself into the record's host field.
        if (effect && effect->user && value > 0 && value <= 0x7fff)
            return static_cast<CPlugWnd*>(effect->user)->FitEditor(index, static_cast<int>(value));
        return 0;
    case audioMasterPinConnected:
        // 0 means connected: the host feeds exactly two inputs and two outputs.
        return index == 0 || index == 1 ? 0 : 1;
    default:
        return 0;
    }
}

CPlugWnd::CPlugWnd(HINSTANCE instance_, PluginEntryProc entry_)
    : CWindow(instance_), pluginLoaded(0), editorRect(nullptr), effectRecord(nullptr),
      entry(entry_), holder(nullptr), screenDpi(0)
{
}

VstIntPtr CPlugWnd::send(int32_t opcode, int32_t index, VstIntPtr value, void* ptr, float opt)
{
    return effectRecord->dispatcher(effectRecord, opcode, index, value, ptr, opt);
}

int CPlugWnd::Create(HWND parent)
{
    parentHwnd = parent;

    const HICON icon = LoadIconA(nullptr, IDI_APPLICATION);
    const HostClass windowClass = {kClassName, icon, icon,
                                   static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))};
    if (!CreateHostWindow(windowClass, 0, nullptr, kStyle, parent))
        return 0;

    int width = 0;
    int height = 0;
    if (effectRecord && effectRecord->dispatcher)
    {
        send(effEditGetRect, 0, 0, &editorRect, 0.0f);
        send(effEditOpen, 0, 0, hwnd, 0.0f);
        send(effEditTop, 0, 0, nullptr, 0.0f);
    }
    // The editor's size is its right and bottom edge, whatever its top left.
    if (editorRect)
    {
        width = editorRect->right;
        height = editorRect->bottom;
    }
    Place(width, height, true);
    ShowWindow(hwnd, SW_SHOWNORMAL);

    SetTimer(hwnd, kIdleTimer, kIdleMilliseconds, nullptr);
    return 1;
}

void CPlugWnd::Place(int width, int height, bool centre)
{
    // The editor's window says the size it is drawn at (an editor that
    // says none is at 100 %); it sits under the demo window's toolbar,
    // drawn at that size too.
    const int tagged = CZoomSetting::tagOf(GetWindow(hwnd, GW_CHILD));
    const int zoom = tagged ? tagged : CZoomSetting::kDefault;
    const int toolbar = holder ? holder->FitToolbar(zoom) : CEditorHolder::kToolbarHeight;
    MoveWindow(hwnd, 0, toolbar, width, height, !centre);
    int outerWidth = width + kExtraWidth;
    int outerHeight = height + kExtraHeight;
    const int dpi = screenDpi ? screenDpi : CZoomSetting::dpiOf(parentHwnd);
    if (zoom != CZoomSetting::kDefault || dpi > kDpiAt100)
    {
        // At a larger size, or on a screen of more DPI (where a size of
        // 100 % may still be chosen), the caption and borders are the
        // screen's, which grow with its DPI: the window is made to hold
        // exactly the toolbar and the editor.
        RECT outer = {0, 0, width, toolbar + height};
        AdjustWindowRectEx(&outer, static_cast<DWORD>(GetWindowLongA(parentHwnd, GWL_STYLE)), FALSE,
                           static_cast<DWORD>(GetWindowLongA(parentHwnd, GWL_EXSTYLE)));
        outerWidth = outer.right - outer.left;
        outerHeight = outer.bottom - outer.top;
    }
    if (centre)
    {
        const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2 - kLeftShift;
        const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2 - kUpShift;
        MoveWindow(parentHwnd, x, y, outerWidth, outerHeight, FALSE);
        return;
    }
    // A new size keeps the window's top left where the user left it.
    RECT outer = {};
    GetWindowRect(parentHwnd, &outer);
    MoveWindow(parentHwnd, outer.left, outer.top, outerWidth, outerHeight, TRUE);
}

int CPlugWnd::FitEditor(int width, int height)
{
    if (!hwnd || width <= 0 || height <= 0 || width > 0x7fff)
        return 0;
    Place(width, height, false);
    return 1;
}

void CPlugWnd::FollowDpi(int dpi)
{
    if (!hwnd)
        return;
    screenDpi = dpi;
    // The editor's window hears of it as the top-level window did; an editor
    // that follows asks for its new size through the host callback. The
    // frame around it has the new screen's metrics either way.
    if (HWND editor = GetWindow(hwnd, GW_CHILD))
        SendMessageA(editor, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), 0);
    if (editorRect)
        Place(editorRect->right, editorRect->bottom, false);
}

LRESULT CPlugWnd::OnTimer(HWND, UINT, WPARAM, LPARAM)
{
    if (effectRecord && effectRecord->dispatcher)
        send(effEditIdle, 0, 0, nullptr, 0.0f);
    return 0;
}

int CPlugWnd::LoadPlugin()
{
    AEffect* effect = entry ? entry(&HostCallback) : nullptr;
    if (!effect || !effect->dispatcher)
        return 0;
    if (effect->magic != kEffectMagic)
    {
        effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
        return 0;
    }
    if (effect->dispatcher(effect, effIdentify, 0, 0, nullptr, 0.0f) != kIdentifyAnswer)
        return 0;
    effect->dispatcher(effect, effSetProgram, 0, 0, nullptr, 0.0f);
    effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);
    effectRecord = effect;
    // The record's host field: how a resize request finds this window.
    effect->user = this;
    pluginLoaded = 1;
    return 1;
}

int CPlugWnd::Process(float** inputs, float** outputs, int32_t sampleFrames)
{
    effectRecord->processReplacing(effectRecord, inputs, outputs, sampleFrames);
    return 1;
}

void CPlugWnd::SetSampleRate(float rate)
{
    if (effectRecord && effectRecord->dispatcher)
        send(effSetSampleRate, 0, 0, nullptr, rate);
}

void CPlugWnd::Resume()
{
    if (effectRecord && effectRecord->dispatcher)
        send(effMainsChanged, 0, 1, nullptr, 0.0f);
}

void CPlugWnd::Suspend()
{
    if (effectRecord && effectRecord->dispatcher)
        send(effMainsChanged, 0, 0, nullptr, 0.0f);
}
