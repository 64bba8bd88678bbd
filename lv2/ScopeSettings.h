#pragma once

#include <cstdint>
#include <string>

// The panel's size as the user chose it, for every instance in every host:
// the line Zoom=100, 150 or 200 in $XDG_CONFIG_HOME/zanderwick/scope.conf
// (~/.config when XDG_CONFIG_HOME is not set); and whether it shows the
// bands and the history, the line Bands=0 or 1. They are the same facts the
// Windows editor keeps in the registry values Zoom and Bands. Read when a
// panel opens and written when a choice is made, on the host's UI thread.
class CScopeSettings
{
  public:
    // Empty when neither XDG_CONFIG_HOME (an absolute path) nor HOME is set.
    static std::string path();
    // The size chosen earlier, or 0 when none is stored or it is no size.
    static int32_t rememberedZoom();
    // Stores the choice, keeping the file's other lines; false when it is no
    // size or the file could not be written.
    static bool rememberZoom(int32_t percent);
    // Off unless Bands=1 is stored.
    static bool rememberedBands();
    // False when the file could not be written.
    static bool rememberBands(bool shown);
};
