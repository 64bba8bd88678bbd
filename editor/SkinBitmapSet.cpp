#include "editor/SkinBitmapSet.h"

#include "gui/SkinBitmap.h"

CSkinBitmapSet::CSkinBitmapSet(int32_t firstId, int32_t count)
    : firstId(firstId), count(count), bitmaps()
{
    for (int32_t i = 0; i < count; ++i)
        bitmaps.push_back(new CSkinBitmap(firstId + i));
}

CSkinBitmapSet::~CSkinBitmapSet()
{
    for (int32_t i = 0; i < count; ++i)
        bitmaps[i]->release();
}

CSkinBitmap* CSkinBitmapSet::bitmapFor(int32_t id) const
{
    // Compared as a difference so that no id, however large, overflows.
    const int64_t index = static_cast<int64_t>(id) - firstId;
    return index >= 0 && index < count ? bitmaps[index] : nullptr;
}

int32_t CSkinBitmapSet::widthOf(int32_t id) const
{
    const CSkinBitmap* bitmap = bitmapFor(id);
    return bitmap ? bitmap->getWidth() : 0;
}

int32_t CSkinBitmapSet::heightOf(int32_t id) const
{
    const CSkinBitmap* bitmap = bitmapFor(id);
    return bitmap ? bitmap->getHeight() : 0;
}
