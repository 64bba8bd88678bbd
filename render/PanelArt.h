#pragma once
// The editor's pictures built into the portable renderer: the BMP files the
// program's resources are made from, decoded as Windows loads them, so that
// zwpanel and the LV2 editor need no file beside them.

#include <cstddef>
#include <cstdint>

#include "render/PanelRenderer.h"

struct PanelArtFile
{
    int32_t zoom;
    int32_t id;
    const char* bytes;
    size_t size;
};
// Generated from resources/bitmaps by render/EmbedArt.cmake.
extern const PanelArtFile kPanelArtFiles[];
extern const size_t kPanelArtFileCount;

// The pictures drawn for that size. False when it is none of the sizes or a
// picture does not decode; the art is then not to be drawn with.
bool loadPanelArt(int32_t zoom, PanelArt& art);
