#pragma once
// The meter's scope background (the program's artwork, bitmap 105) as its
// BMP file's bytes; the build generates the definition from the artwork.

#include <cstddef>
#include <cstdint>

extern const uint8_t kScopeBackground[];
extern const size_t kScopeBackgroundSize;
