#pragma once

#include <cstdint>
#include <vector>

class CSkinBitmap;

// A run of pictures with consecutive resource ids, loaded together and kept
// for as long as the set lives.
class CSkinBitmapSet
{
  public:
    CSkinBitmapSet(int32_t firstId, int32_t count);
    ~CSkinBitmapSet();

    CSkinBitmapSet(const CSkinBitmapSet&) = delete;
    CSkinBitmapSet& operator=(const CSkinBitmapSet&) = delete;

    // Null for an id outside the run.
    CSkinBitmap* bitmapFor(int32_t id) const;
    // 0 for an id outside the run or a picture that did not load.
    int32_t widthOf(int32_t id) const;
    int32_t heightOf(int32_t id) const;

  private:
    int32_t firstId;
    int32_t count;
    // One reference held on each, released with the set.
    std::vector<CSkinBitmap*> bitmaps;
};
