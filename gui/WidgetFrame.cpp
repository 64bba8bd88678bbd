#include "gui/WidgetFrame.h"

#include "gui/IdleOwner.h"
#include "gui/ModuleInstance.h"
#include "gui/PaintPort.h"
#include "gui/SkinBitmap.h"

#include <algorithm>
#include <cstdio>
#include <new>

namespace
{
int32_t gLiveFrames = 0;
char gClassName[32] = "";
} // namespace

const char* CWidgetFrame::windowClassName()
{
    return gClassName;
}

std::string CWidgetFrame::windowClassNameOf(HINSTANCE module)
{
    // Every digit of the handle: a 64-bit module may load above 4 GB, and two
    // modules must never share a class name.
    char name[32];
    std::snprintf(name, sizeof(name), "Plugin%08llx",
                  static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(module)));
    return name;
}

void CWidgetFrame::registerWindowClass()
{
    if (++gLiveFrames != 1)
        return;
    std::snprintf(gClassName, sizeof(gClassName), "%s",
                  windowClassNameOf(moduleInstance()).c_str());
    WNDCLASSA windowClass = {};
    // A context of its own: the frame draws on it every tick with news
    // without asking for one.
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = moduleInstance();
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = gClassName;
    RegisterClassA(&windowClass);
}

void CWidgetFrame::unregisterWindowClass()
{
    if (--gLiveFrames == 0)
        UnregisterClassA(gClassName, moduleInstance());
}

CWidgetFrame::CWidgetFrame(const PortRect& rect, HWND parentWindow, CIdleOwner* owner)
    : CWidget(rect), owner(owner), parentWindow(parentWindow), background(nullptr), childCount(0),
      childCapacity(0), children(), exclusiveChild(nullptr), firstPaintPending(1), window(nullptr),
      timer(0), windowPort()
{
    registerWindowClass();
    window = CreateWindowExA(0, gClassName, "Window", WS_CHILD | WS_VISIBLE, rect.left, rect.top,
                             rect.right - rect.left, rect.bottom - rect.top, parentWindow, nullptr,
                             moduleInstance(), nullptr);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    HDC context = window ? GetDC(window) : nullptr;
    if (context)
        windowPort = std::make_unique<CPaintPort>(context, window);
    timer = SetTimer(window, 0, kTimerMilliseconds, nullptr);
}

CWidgetFrame::~CWidgetFrame()
{
    KillTimer(window, timer);
    // Messages still on their way must not find a half-destroyed frame.
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    if (windowPort)
    {
        HDC context = windowPort->getContext();
        windowPort.reset();
        ReleaseDC(window, context);
    }
    DestroyWindow(window);
    unregisterWindowClass();
    // In the order they were added.
    for (int32_t i = 0; i < childCount; ++i)
        children[i].reset();
    if (background)
        background->release();
}

CWidget* CWidgetFrame::getChild(int32_t index) const
{
    return index >= 0 && index < childCount ? children[index].get() : nullptr;
}

void CWidgetFrame::paint(CPaintPort& port)
{
    firstPaintPending = 0;
    if (exclusiveChild)
    {
        exclusiveChild->paint(port);
        return;
    }
    if (background)
    {
        // The frame sits at 0, 0 of its own window; clip the picture to it.
        const PortRect area = {0, 0, std::min(background->getWidth(), rect.right),
                               std::min(background->getHeight(), rect.bottom)};
        background->paintTo(port, area, {0, 0});
    }
    for (int32_t i = 0; i < childCount; ++i)
        children[i]->paint(port);
}

void CWidgetFrame::onMouseDown(CPaintPort& port, PortPoint where)
{
    if (exclusiveChild)
    {
        if (exclusiveChild->contains(where))
            exclusiveChild->onMouseDown(port, where);
        return;
    }
    // The last one added is drawn on top, so it is asked first.
    for (int32_t i = childCount - 1; i >= 0; --i)
    {
        if (children[i]->contains(where))
        {
            children[i]->onMouseDown(port, where);
            return;
        }
    }
}

void CWidgetFrame::refresh(CPaintPort& port)
{
    if (exclusiveChild)
    {
        exclusiveChild->refresh(port);
        return;
    }
    for (int32_t i = 0; i < childCount; ++i)
        children[i]->refresh(port);
}

bool CWidgetFrame::hasNews() const
{
    if (exclusiveChild)
        return exclusiveChild->hasNews();
    for (int32_t i = 0; i < childCount; ++i)
    {
        if (children[i]->hasNews())
            return true;
    }
    return false;
}

bool CWidgetFrame::appendChild(CWidget* child)
{
    if (!child)
        return false;
    if (childCount == childCapacity)
    {
        // On failure the list stays as it was, so nothing already added is lost.
        std::unique_ptr<std::unique_ptr<CWidget>[]> grown(
            new (std::nothrow) std::unique_ptr<CWidget>[childCapacity + kGrowth]);
        if (!grown)
            return false;
        std::move(children.get(), children.get() + childCount, grown.get());
        children = std::move(grown);
        childCapacity += kGrowth;
    }
    children[childCount++].reset(child);
    child->setParent(this);
    return true;
}

bool CWidgetFrame::removeChild(CWidget* child)
{
    for (int32_t i = 0; i < childCount; ++i)
    {
        if (children[i].get() == child)
        {
            // Taken out, not destroyed: it is the caller's again.
            static_cast<void>(children[i].release());
            std::move(children.get() + i + 1, children.get() + childCount, children.get() + i);
            --childCount;
            break;
        }
    }
    return true;
}

void CWidgetFrame::onTimer()
{
    if (firstPaintPending || !windowPort || !hasNews())
        return;
    refresh(*windowPort);
}

template <typename Action> void CWidgetFrame::drawOn(HDC context, Action action)
{
    if (windowPort && windowPort->getContext() == context)
    {
        action(*windowPort);
        return;
    }
    CPaintPort port(context, window);
    action(port);
}

void CWidgetFrame::setBackdrop(CSkinBitmap* bitmap)
{
    // Take the new reference first: the same picture may be set again.
    if (bitmap)
        bitmap->addRef();
    if (background)
        background->release();
    background = bitmap;
}

bool CWidgetFrame::setExclusiveChild(CWidget* child)
{
    if (child && exclusiveChild)
        return false;
    exclusiveChild = child;
    return true;
}

LRESULT CALLBACK CWidgetFrame::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWidgetFrame* frame = reinterpret_cast<CWidgetFrame*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    switch (message)
    {
    case WM_PAINT:
    {
        RECT update;
        if (frame && GetUpdateRect(window, &update, FALSE))
        {
            PAINTSTRUCT paintStruct;
            HDC context = BeginPaint(window, &paintStruct);
            frame->drawOn(context, [&](CPaintPort& port) { frame->paint(port); });
            EndPaint(window, &paintStruct);
        }
        break;
    }
    case WM_TIMER:
        if (frame)
        {
            if (frame->owner)
                frame->owner->onFrameTimer();
            frame->onTimer();
        }
        break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        if (frame)
        {
            const PortPoint where = {static_cast<int32_t>(LOWORD(lParam)),
                                     static_cast<int32_t>(HIWORD(lParam))};
            // The owner's menu may rebuild the editor, this frame and its
            // window included: nothing of either may be touched after it.
            if (message == WM_RBUTTONDOWN && frame->owner && frame->owner->onContextClick(where))
                return 0;
            if (frame->windowPort)
            {
                frame->onMouseDown(*frame->windowPort, where);
                break;
            }
            HDC context = GetDC(window);
            frame->drawOn(context, [&](CPaintPort& port) { frame->onMouseDown(port, where); });
            ReleaseDC(window, context);
        }
        break;
    case WM_DPICHANGED:
        // As with the menu, the owner may rebuild everything here.
        if (frame && frame->owner)
            frame->owner->onDpiChanged(HIWORD(wParam));
        return 0;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
