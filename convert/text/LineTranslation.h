// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Module1.h"

namespace rz408 {

// Rewrites m.CurrentLine so that it holds no code above 127, appending one log entry to
// m.FileLog for each code of the line that had no transliteration and became blanks, lowest
// code first. Leaves m.CharCode at 256, and m.LineBefore as the line stood before its last
// blank replacement (code 254): every code mapped except 254 and 255.
// The run converts whole streams (StreamConverter); this line-at-a-time form stays in the core
// as the reference that the stream conversion, its benchmark and its fuzzer are held against.
void TranslateLine(Module1& m);

} // namespace rz408
