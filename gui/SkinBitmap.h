#pragma once

#include <windows.h>

#include <cstdint>

#include "gui/PortTypes.h"

class CPaintPort;

// A picture from the program's bitmap resources, shared by reference count:
// whoever calls addRef calls release, and the last release frees it.
class CSkinBitmap
{
  public:
    // The count starts at 1, held by the creator.
    explicit CSkinBitmap(int32_t resourceId);

    CSkinBitmap(const CSkinBitmap&) = delete;
    CSkinBitmap& operator=(const CSkinBitmap&) = delete;

    void addRef();
    void release();

    // Copies the part of the picture that starts at source into destination,
    // unscaled. A picture that did not load draws nothing.
    void paintTo(CPaintPort& port, const PortRect& destination, PortPoint source) const;

    // 0 x 0 when the resource could not be loaded.
    int32_t getWidth() const { return width; }
    int32_t getHeight() const { return height; }
    int32_t getResourceId() const { return resourceId; }
    int32_t getReferenceCount() const { return referenceCount; }
    bool isLoaded() const { return bitmap != nullptr; }
    HBITMAP getHandle() const { return bitmap; }

  private:
    ~CSkinBitmap();

    int32_t resourceId;
    HBITMAP bitmap;
    int32_t width;
    int32_t height;
    int32_t referenceCount;
};
