#pragma once
// Everything of the OS layer in one include, as the system's units expect.
#include "platform/win32/clock.h"
#include "platform/win32/comm.h"
#include "platform/win32/devicemap.h"
#include "platform/win32/handles.h"
#include "platform/win32/locale.h"
#include "platform/win32/wintypes.h"
