#include "lv2/ScopeUi.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

#include "lv2/ScopePorts.h"
#include "lv2/ScopeSettings.h"
#include "render/PanelArt.h"
#include "render/PanelGeometry.h"

namespace
{
const char kTitle[] = "Zanderwick Scope";
// The menu's colours, near the panel's own.
constexpr uint32_t kMenuBackground = 0x2b2d30;
constexpr uint32_t kMenuFrame = 0x74777c;
constexpr uint32_t kMenuText = 0xe8e8e8;
// Asks for the bands again when this many Block messages came without
// them: a host may have lost the question, or the plug-in restarted.
constexpr uint32_t kAskAgainAfter = 64;

const LV2_Feature* findFeature(const LV2_Feature* const* features, const char* uri)
{
    for (; features && *features; ++features)
        if (std::strcmp((*features)->URI, uri) == 0)
            return *features;
    return nullptr;
}

bool isEmpty(const PortRect& r)
{
    return r.left >= r.right || r.top >= r.bottom;
}

PortRect unite(const PortRect& a, const PortRect& b)
{
    if (isEmpty(a))
        return b;
    if (isEmpty(b))
        return a;
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

bool inside(const PortRect& r, int32_t x, int32_t y)
{
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

// A mask's lowest bit and its width, to place a colour's 8 bits in it.
int shiftOf(unsigned long mask)
{
    int shift = 0;
    while (mask && !(mask & 1))
        mask >>= 1, ++shift;
    return shift;
}

unsigned long place(uint32_t value8, unsigned long mask)
{
    const int shift = shiftOf(mask);
    const unsigned long width = mask >> shift;
    return ((value8 * width + 127) / 255) << shift & mask;
}
} // namespace

CScopeUi* CScopeUi::create(LV2UI_Write_Function write, LV2UI_Controller controller,
                           const LV2_Feature* const* features)
{
    const LV2_Feature* map = findFeature(features, LV2_URID__map);
    if (!map || !map->data)
        return nullptr;
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return nullptr;
    CScopeUi* ui = new (std::nothrow) CScopeUi(display, static_cast<LV2_URID_Map*>(map->data));
    if (!ui)
    {
        XCloseDisplay(display);
        return nullptr;
    }
    ui->write = write;
    ui->controller = controller;
    if (const LV2_Feature* resize = findFeature(features, LV2_UI__resize))
        ui->resize = static_cast<LV2UI_Resize*>(resize->data);
    const LV2_Feature* parent = findFeature(features, LV2_UI__parent);
    const Window parentWindow = parent ? reinterpret_cast<uintptr_t>(parent->data) : 0;
    if (!ui->open(parentWindow, ui->startingZoom()))
    {
        delete ui;
        return nullptr;
    }
    if (ui->bands)
        ui->sendBands(true);
    return ui;
}

CScopeUi::CScopeUi(Display* display, LV2_URID_Map* map)
    : display(display), map(map), uris(mapScopeUris(map)), atoms(), write(nullptr),
      controller(nullptr), resize(nullptr), parent(0), window(0),
      visual(DefaultVisual(display, DefaultScreen(display))),
      depth(DefaultDepth(display, DefaultScreen(display))), gc(nullptr), deleteWindow(0),
      image(nullptr), converted(), sameFormat(false), art(), panel(), menu(),
      side(CPanelRenderer::kPointCount, 0.0f), mid(CPanelRenderer::kPointCount, 0.0f),
      pointer(0.0f), range(), mono(false),
      bands(CScopeSettings::rememberedBands()), bandValues{NAN, NAN, NAN}, history(),
      lastBlockCount(-1), unanswered(0), news(false), stale{0, 0, 0, 0}, closed(false)
{
    auto id = [map](const char* uri) { return map->map(map->handle, uri); };
    atoms = {id(LV2_ATOM__eventTransfer), id(LV2_ATOM__Object), id(LV2_ATOM__Vector),
             id(LV2_ATOM__Float),         id(LV2_ATOM__Long),   id(LV2_ATOM__Bool)};
}

CScopeUi::~CScopeUi()
{
    // Nothing shows the bands any more: the plug-in may stop working them out.
    if (bands && write)
        sendBands(false);
    dropImage();
    if (gc)
        XFreeGC(display, gc);
    // Closing the connection destroys the window with it, and raises no
    // error where the host destroyed its window (and so ours) first.
    XCloseDisplay(display);
}

int32_t CScopeUi::startingZoom() const
{
    if (const int32_t chosen = CScopeSettings::rememberedZoom())
        return chosen;
    const char* resources = XResourceManagerString(display);
    const char* dpi = resources ? std::strstr(resources, "Xft.dpi:") : nullptr;
    return dpi ? zoomForDpi(std::atoi(dpi + std::strlen("Xft.dpi:"))) : kPanelSizes[0];
}

bool CScopeUi::open(Window parentWindow, int32_t zoom)
{
    if (!useZoom(zoom) && !useZoom(kPanelSizes[0]))
        return false;
    parent = parentWindow;
    const int screen = DefaultScreen(display);
    // The screen's own visual, whatever the host's window uses: the
    // picture's pixels are made for it.
    XSetWindowAttributes attributes = {};
    attributes.background_pixel = BlackPixel(display, screen);
    attributes.border_pixel = 0;
    attributes.colormap = DefaultColormap(display, screen);
    attributes.event_mask = ExposureMask | ButtonPressMask | StructureNotifyMask;
    window = XCreateWindow(display, parent ? parent : RootWindow(display, screen), 0, 0,
                           panel->getWidth(), panel->getHeight(), 0, depth, InputOutput, visual,
                           CWBackPixel | CWBorderPixel | CWColormap | CWEventMask, &attributes);
    if (!window)
        return false;
    XStoreName(display, window, kTitle);
    gc = XCreateGC(display, window, 0, nullptr);
    makeImage();
    if (parent)
        XMapWindow(display, window);
    else
    {
        // A window of its own, of one size, that the user may close.
        XSizeHints hints = {};
        hints.flags = PMinSize | PMaxSize;
        hints.min_width = hints.max_width = panel->getWidth();
        hints.min_height = hints.max_height = panel->getHeight();
        XSetWMNormalHints(display, window, &hints);
        deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
        XSetWMProtocols(display, window, &deleteWindow, 1);
    }
    if (resize)
        resize->ui_resize(resize->handle, panel->getWidth(), panel->getHeight());
    XFlush(display);
    return image != nullptr;
}

bool CScopeUi::useZoom(int32_t zoom)
{
    auto loaded = std::make_unique<PanelArt>();
    if (!loadPanelArt(zoom, *loaded))
        return false;
    // The renderer keeps the art it draws from: the new one first, then the
    // art it replaces.
    auto renderer = std::make_unique<CPanelRenderer>(*loaded, bands);
    panel = std::move(renderer);
    art = std::move(loaded);
    panel->setPoints(side.data(), mid.data());
    panel->setPointer(pointer);
    panel->setRange(range);
    panel->setMono(mono);
    panel->setBands(bandValues);
    panel->setHistory(history);
    news = true;
    return true;
}

void CScopeUi::makeImage()
{
    dropImage();
    const int32_t width = panel->getWidth(), height = panel->getHeight();
    image = XCreateImage(display, visual, depth, ZPixmap, 0, nullptr, width, height, 32, 0);
    if (!image)
        return;
    // Where the window's pixels are the renderer's, 32-bit 0x00rrggbb in the
    // machine's order, the image shows the renderer's picture itself.
    const uint32_t probe = 1;
    const bool littleEndian = *reinterpret_cast<const unsigned char*>(&probe) == 1;
    sameFormat = image->bits_per_pixel == 32 && visual->red_mask == 0xff0000 &&
                 visual->green_mask == 0xff00 && visual->blue_mask == 0xff &&
                 image->byte_order == (littleEndian ? LSBFirst : MSBFirst);
    if (sameFormat)
        image->data = reinterpret_cast<char*>(const_cast<uint32_t*>(panel->getPixels()));
    else
    {
        converted.assign(static_cast<size_t>(image->bytes_per_line) * height, 0);
        image->data = converted.data();
    }
}

void CScopeUi::dropImage()
{
    if (!image)
        return;
    // The pixels are not the image's to free.
    image->data = nullptr;
    XDestroyImage(image);
    image = nullptr;
}

unsigned long CScopeUi::pixelFor(uint32_t rgb) const
{
    return place(rgb >> 16 & 0xff, visual->red_mask) | place(rgb >> 8 & 0xff, visual->green_mask) |
           place(rgb & 0xff, visual->blue_mask);
}

void CScopeUi::put(const PortRect& rect)
{
    const int32_t width = panel->getWidth(), height = panel->getHeight();
    const int32_t left = std::max(rect.left, 0), top = std::max(rect.top, 0);
    const int32_t right = std::min(rect.right, width), bottom = std::min(rect.bottom, height);
    if (!image || left >= right || top >= bottom)
        return;
    if (!sameFormat)
    {
        const uint32_t* pixels = panel->getPixels();
        for (int32_t y = top; y < bottom; ++y)
            for (int32_t x = left; x < right; ++x)
                XPutPixel(image, x, y, pixelFor(pixels[y * width + x]));
    }
    XPutImage(display, window, gc, image, left, top, left, top, right - left, bottom - top);
}

int CScopeUi::idle()
{
    while (XPending(display) > 0)
    {
        XEvent event;
        XNextEvent(display, &event);
        handle(event);
    }
    if (news)
    {
        stale = unite(stale, panel->compose());
        news = false;
    }
    if (!isEmpty(stale))
    {
        put(stale);
        // The menu stays over whatever was put under it.
        if (menu.isOpen())
            menu.draw(display, window, gc, pixelFor(kMenuBackground), pixelFor(kMenuFrame),
                      pixelFor(kMenuText));
        stale = {0, 0, 0, 0};
        XFlush(display);
    }
    return closed ? 1 : 0;
}

void CScopeUi::handle(const XEvent& event)
{
    switch (event.type)
    {
    case Expose:
        stale =
            unite(stale, {event.xexpose.x, event.xexpose.y, event.xexpose.x + event.xexpose.width,
                          event.xexpose.y + event.xexpose.height});
        break;
    case ButtonPress:
        click(event.xbutton.button, event.xbutton.x, event.xbutton.y);
        break;
    case ClientMessage:
        if (deleteWindow && static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow)
        {
            closed = true;
            hide();
        }
        break;
    default:
        break;
    }
}

void CScopeUi::click(unsigned int button, int32_t x, int32_t y)
{
    if (menu.isOpen())
    {
        // Any click closes the menu; one on a line chooses it.
        const int32_t chosen = button == Button1 ? menu.choiceAt(x, y) : 0;
        stale = unite(stale, menu.getPlace());
        menu.close();
        if (chosen == CSizeMenu::kBandsChoice)
        {
            CScopeSettings::rememberBands(!bands);
            choose(art->zoom, !bands);
        }
        else if (chosen)
        {
            // Remembered even where this host cannot fit it: the next panel
            // opens so.
            CScopeSettings::rememberZoom(chosen);
            choose(chosen, bands);
        }
        return;
    }
    const bool onMono = inside(panel->getMonoArea(), x, y);
    const bool onRange = inside(panel->getRangeArea(), x, y);
    if (button == Button1 && onMono)
        switchMono(!mono);
    else if (button == Button1 && onRange)
        sendResetRange();
    else if (button == Button3 && !onMono && !onRange)
    {
        menu.openAt(x, y, panel->getWidth(), panel->getHeight(), art->zoom, bands);
        stale = unite(stale, menu.getPlace());
    }
}

void CScopeUi::switchMono(bool on)
{
    const float value = on ? 1.0f : 0.0f;
    write(controller, kPortMono, sizeof value, 0, &value);
    // Shown at once; the plug-in's next block says the same.
    showMono(on);
}

void CScopeUi::showMono(bool on)
{
    mono = on;
    panel->setMono(mono);
    if (on)
    {
        pointer = 1.0f;
        range.reset();
        panel->setPointer(pointer);
        panel->setRange(range);
    }
    news = true;
}

void CScopeUi::sendMessage(LV2_URID type, LV2_URID key, bool value)
{
    uint8_t buffer[64];
    LV2_Atom_Forge forge;
    lv2_atom_forge_init(&forge, map);
    lv2_atom_forge_set_buffer(&forge, buffer, sizeof buffer);
    LV2_Atom_Forge_Frame frame;
    const auto* atom =
        reinterpret_cast<const LV2_Atom*>(lv2_atom_forge_object(&forge, &frame, 0, type));
    if (key)
    {
        lv2_atom_forge_key(&forge, key);
        lv2_atom_forge_bool(&forge, value);
    }
    lv2_atom_forge_pop(&forge, &frame);
    if (atom)
        write(controller, kPortControl, lv2_atom_total_size(atom), atoms.eventTransfer, atom);
}

void CScopeUi::sendBands(bool shown)
{
    sendMessage(uris.bands, uris.shown, shown);
    unanswered = 0;
}

void CScopeUi::sendResetRange()
{
    sendMessage(uris.resetRange, 0, false);
    // The bar shows the reset at once; the plug-in's next block agrees.
    range.reset();
    panel->setRange(range);
    news = true;
}

void CScopeUi::choose(int32_t percent, bool withBands)
{
    if (percent == art->zoom && withBands == bands)
        return;
    const PortRect size = panelArea(percent, withBands);
    const int width = size.right, height = size.bottom;
    // A host that embeds the panel and cannot fit it keeps this one until
    // the next panel opens.
    if (resize && resize->ui_resize(resize->handle, width, height) != 0 && parent)
        return;
    const bool wasShown = bands;
    bands = withBands;
    if (!useZoom(percent))
    {
        bands = wasShown;
        return;
    }
    if (bands != wasShown)
    {
        // A history shown again starts over: what played meanwhile is unknown.
        history.clear();
        lastBlockCount = -1;
        const float none[kBandCount] = {NAN, NAN, NAN};
        std::copy_n(none, kBandCount, bandValues);
        panel->setBands(bandValues);
        panel->setHistory(history);
        sendBands(bands);
    }
    makeImage();
    if (!parent)
    {
        XSizeHints hints = {};
        hints.flags = PMinSize | PMaxSize;
        hints.min_width = hints.max_width = width;
        hints.min_height = hints.max_height = height;
        XSetWMNormalHints(display, window, &hints);
    }
    XResizeWindow(display, window, width, height);
    stale = {0, 0, width, height};
}

void CScopeUi::portEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer)
{
    if (!buffer)
        return;
    if (port == kPortMono && format == 0 && size == sizeof(float))
    {
        float value;
        std::memcpy(&value, buffer, sizeof value);
        // Above 0 is on, as the plug-in reads it.
        if ((value > 0.0f) != mono)
            showMono(value > 0.0f);
        return;
    }
    if (port != kPortNotify || format != atoms.eventTransfer || size < sizeof(LV2_Atom_Object))
        return;
    const auto* object = static_cast<const LV2_Atom_Object*>(buffer);
    // Only a whole object of ours is read.
    if (object->atom.type != atoms.object || object->atom.size > size - sizeof(LV2_Atom) ||
        object->body.otype != uris.block)
        return;
    takeBlock(object);
}

void CScopeUi::takeBlock(const LV2_Atom_Object* block)
{
    const float* sides = nullptr;
    const float* mids = nullptr;
    // The meter's three values, then the bands' three, the lowest and the
    // rate, as the Block message may carry them.
    constexpr int kFloats = 8;
    float values[kFloats] = {};
    int found = 0;
    int64_t count = -1;
    // Each property is read only where it lies wholly inside the object.
    const auto* at = reinterpret_cast<const uint8_t*>(&block->body + 1);
    const auto* end = reinterpret_cast<const uint8_t*>(&block->body) + block->atom.size;
    while (at + sizeof(LV2_Atom_Property_Body) <= end)
    {
        const auto* property = reinterpret_cast<const LV2_Atom_Property_Body*>(at);
        const uint32_t bytes = property->value.size;
        const uint8_t* value = at + sizeof(LV2_Atom_Property_Body);
        if (bytes > static_cast<size_t>(end - value))
            return;
        if (property->value.type == atoms.vector && bytes >= sizeof(LV2_Atom_Vector_Body))
        {
            const auto* vector = reinterpret_cast<const LV2_Atom_Vector_Body*>(value);
            const bool points =
                vector->child_type == atoms.floatType && vector->child_size == sizeof(float) &&
                bytes == sizeof(LV2_Atom_Vector_Body) + kScopePoints * sizeof(float);
            const auto* floats = reinterpret_cast<const float*>(vector + 1);
            if (points && property->key == uris.side)
                sides = floats;
            else if (points && property->key == uris.mid)
                mids = floats;
        }
        else if (property->value.type == atoms.floatType && bytes == sizeof(float))
        {
            const LV2_URID keys[kFloats] = {uris.correlation, uris.rangeMin,  uris.rangeMax,
                                            uris.bandLow,     uris.bandMid,   uris.bandHigh,
                                            uris.lowest,      uris.sampleRate};
            for (int i = 0; i < kFloats; ++i)
                if (property->key == keys[i])
                {
                    std::memcpy(&values[i], value, sizeof(float));
                    found |= 1 << i;
                }
        }
        else if (property->value.type == atoms.longType && bytes == sizeof(int64_t) &&
                 property->key == uris.blockCount)
            std::memcpy(&count, value, sizeof count);
        at = value + lv2_atom_pad_size(bytes);
    }
    // A message stands on its own: its points and values belong together.
    if (!sides || !mids || (found & 7) != 7)
        return;
    std::copy_n(sides, kScopePoints, side.begin());
    std::copy_n(mids, kScopePoints, mid.begin());
    pointer = values[0];
    range.restore(values[1], values[2]);
    panel->setPoints(side.data(), mid.data());
    panel->setPointer(pointer);
    panel->setRange(range);
    news = true;
    if (!bands)
        return;
    if (found == (1 << kFloats) - 1 && count >= 0)
        takeBands(values + 3, values[6], count, values[7]);
    else if (++unanswered >= kAskAgainAfter)
        sendBands(true);
}

void CScopeUi::takeBands(const float* values, float lowest, int64_t count, float rate)
{
    unanswered = 0;
    std::copy_n(values, kBandCount, bandValues);
    if (rate > 0.0f && rate != history.getSampleRate())
    {
        history.setSampleRate(rate);
        lastBlockCount = -1;
    }
    // Blocks since the last message: more than one where the plug-in ran
    // several in one go or the host dropped messages. A count that went
    // back means the plug-in started over.
    const int64_t blocks = lastBlockCount >= 0 && count > lastBlockCount ? count - lastBlockCount
                                                                         : (count > 0 ? 1 : 0);
    lastBlockCount = count;
    history.push(lowest, static_cast<uint32_t>(std::min<int64_t>(blocks, UINT32_MAX)));
    panel->setBands(bandValues);
    panel->setHistory(history);
}

int CScopeUi::show()
{
    XMapRaised(display, window);
    XFlush(display);
    return 0;
}

int CScopeUi::hide()
{
    XUnmapWindow(display, window);
    XFlush(display);
    return 0;
}
