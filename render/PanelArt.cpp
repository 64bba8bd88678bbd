#include "render/PanelArt.h"

#include <memory>

#include "resources/ResourceIds.h"
#include "stb_image.h"

namespace
{
// 0x00rrggbb per pixel, rows top to bottom, as LoadBitmap and a blit give
// a 24-bit picture's pixels.
bool decode(int32_t zoom, int32_t id, PixelPicture& picture)
{
    for (size_t i = 0; i < kPanelArtFileCount; ++i)
    {
        const PanelArtFile& file = kPanelArtFiles[i];
        if (file.zoom != zoom || file.id != id)
            continue;
        int width = 0, height = 0, channels = 0;
        std::unique_ptr<stbi_uc, void (*)(void*)> rgb(
            stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(file.bytes),
                                  static_cast<int>(file.size), &width, &height, &channels, 3),
            stbi_image_free);
        if (!rgb)
            return false;
        picture = PixelPicture(width, height, 0);
        for (size_t p = 0; p < picture.pixels.size(); ++p)
        {
            const stbi_uc* c = rgb.get() + 3 * p;
            picture.pixels[p] = pixelOf({c[0], c[1], c[2], 0});
        }
        return true;
    }
    return false;
}
} // namespace

bool loadPanelArt(int32_t zoom, PanelArt& art)
{
    art.zoom = zoom;
    return decode(zoom, IDB_EDITOR_BACKGROUND, art.background) &&
           decode(zoom, IDB_MONO_BUTTON, art.monoButton) &&
           decode(zoom, IDB_SCOPE_BACKGROUND, art.scope) &&
           decode(zoom, IDB_POINTER_STRIP, art.pointerStrip) &&
           decode(zoom, IDB_RANGE_BAR, art.rangeBar) &&
           decode(zoom, IDB_BANDS_BACKGROUND, art.bands);
}
