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
