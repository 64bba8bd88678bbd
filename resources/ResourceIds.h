// The numbers of the program's icons and pictures, shared by the resource
// scripts and the code that loads them (so plain macros: the resource
// compiler reads this too).
#pragma once

// Class icon and small icon of the demo and help windows.
#define IDI_ZANDERWICK 101
#define IDI_ZANDERWICK_SMALL 102

// The scope editor's panel (220 x 270) and its parts.
#define IDB_EDITOR_BACKGROUND 101
#define IDB_CREDITS 102
#define IDB_MONO_BUTTON 103
#define IDB_SCOPE_BACKGROUND_COPY 104
#define IDB_SCOPE_BACKGROUND 105
#define IDB_POINTER_STRIP 106
#define IDB_RANGE_BAR 107

// The demo window's toolbar.
#define IDB_BUTTON_PLAY 108
#define IDB_BUTTON_STOP 109
#define IDB_BUTTON_OPEN 110
#define IDB_BUTTON_HELP 111
#define IDB_TOOLBAR_BACKGROUND 112

// The help pages (8-bit palette).
#define IDB_HELP_GERMAN 113
#define IDB_HELP_ENGLISH 114

// The strip below the panel that "Bands and history" adds.
#define IDB_BANDS_BACKGROUND 115

// The sizes the editor and the toolbar are drawn at, in per cent of the
// 100 % panel, smallest first: the one list of them. The pictures drawn at
// the size in place n (from 0) have the 100 % id plus n * IDB_ZOOM_STEP and
// lie in bitmaps/<size>/, those of the first size in bitmaps/ itself.
#define ZOOM_SIZES 100, 150, 200
#define IDB_ZOOM_STEP 100

// Their ids, for the resource scripts.
#define IDB_EDITOR_BACKGROUND_150 201
#define IDB_CREDITS_150 202
#define IDB_MONO_BUTTON_150 203
#define IDB_SCOPE_BACKGROUND_COPY_150 204
#define IDB_SCOPE_BACKGROUND_150 205
#define IDB_POINTER_STRIP_150 206
#define IDB_RANGE_BAR_150 207
#define IDB_BUTTON_PLAY_150 208
#define IDB_BUTTON_STOP_150 209
#define IDB_BUTTON_OPEN_150 210
#define IDB_BUTTON_HELP_150 211
#define IDB_TOOLBAR_BACKGROUND_150 212
#define IDB_EDITOR_BACKGROUND_200 301
#define IDB_CREDITS_200 302
#define IDB_MONO_BUTTON_200 303
#define IDB_SCOPE_BACKGROUND_COPY_200 304
#define IDB_SCOPE_BACKGROUND_200 305
#define IDB_POINTER_STRIP_200 306
#define IDB_RANGE_BAR_200 307
#define IDB_BUTTON_PLAY_200 308
#define IDB_BUTTON_STOP_200 309
#define IDB_BUTTON_OPEN_200 310
#define IDB_BUTTON_HELP_200 311
#define IDB_TOOLBAR_BACKGROUND_200 312
#define IDB_BANDS_BACKGROUND_150 215
#define IDB_BANDS_BACKGROUND_200 315

// The program's manifest: DPI-aware, so that Windows does not stretch it.
#define IDR_MANIFEST 1
