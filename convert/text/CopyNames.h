// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The names of what a conversion writes: each source's .txt copy, and the log file.

#include "Module1.h"

#include <string>
#include <string_view>

namespace rz408 {

// The name of the .txt copy of SOURCE: cut behind the first dot, then "txt"
// ("MAP.DEU" -> "MAP.txt", "a.b.deu" -> "a.txt", "name" -> "nametxt").
std::string TargetName(std::string_view source);

// The log file's name: LogBaseName followed by ".txt" (UTF-8, ready for the file system;
// the French "Erreurs_de_conversion." gives "Erreurs_de_conversion..txt").
std::string LogFileName(const Module1& m);

} // namespace rz408
