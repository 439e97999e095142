#pragma once
// Screens and the pointer, in logical screen coordinates.
#include "ui/UIDefs.h"

UIPoint GetCursorPos();
UIRect GetPrimaryScreenRect();
// The whole screen and its work area (without panels) of the screen at `point`, or of
// the primary screen when no screen holds it.
UIRect GetScreenRectAt(UIPoint point);
UIRect GetWorkAreaAt(UIPoint point);
