// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace rz408 {

// How the bytes of a source were read.
enum class SourceEncoding { Windows1252, Utf8, Utf16LE, Utf16BE };

} // namespace rz408
