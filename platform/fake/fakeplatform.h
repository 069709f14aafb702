#pragma once

// Every test double of the platform layer and of the settings store.
#include "platform/fake/fakescreen.h"
#include "platform/fake/fakeshell.h"
#include "platform/fake/fakewindowsystem.h"
#include "platform/fake/manualclock.h"
#include "platform/fake/settingsfakes.h"
