#pragma once

// The forms layer: windows, controls and timers with the behaviour the program's windows rely on,
// on top of Qt widgets. Positions and sizes are handed over in twips and converted with the screen's
// twips per pixel; setting a value from code runs the same handler as the user's action, but only
// when the value changes.
//
// This header gathers the layer's parts; each can also be included on its own.

#include "forms/application.h"
#include "forms/caption.h"
#include "forms/controls.h"
#include "forms/dialogs.h"
#include "forms/environment.h"
#include "forms/form.h"
#include "forms/mouse.h"
#include "forms/picturebox.h"
#include "forms/timer.h"
