// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// <windows.h> for the Windows sources of every layer: without the min and max macros, and
// without the parts of the API this program does not use.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
