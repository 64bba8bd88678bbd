#pragma once
// The program's "ERROR" message box, for every message it has: no owner, an
// OK button only, the text and style of what a command refused. Returns when
// the box is closed; the box runs a message loop of its own meanwhile.

#include "audio/Refusal.h"

void showErrorBox(const Refusal& refusal);
