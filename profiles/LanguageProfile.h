#pragma once

#include "Module1.h"

#include <array>
#include <string_view>

namespace rz408 {

// Everything one language choice settles. Texts are UTF-8 here; the five program-wide texts
// are encoded to Windows-1252 when they are installed into Module1.
struct LanguageProfile {
    std::string_view WindowCaption;
    std::string_view ConvertCaption;
    std::string_view BackCaption;
    std::array<std::string_view, 7> LabelTexts; // Label1 .. Label7
    std::string_view FilePattern;
    std::string_view LogTextBefore;
    std::string_view LogTextAfter;
    std::string_view CountMessage;
    std::string_view DriveMessage;
    std::string_view LogBaseName;
    bool ConvertEnabled;
};

extern const LanguageProfile FrenchProfile;
extern const LanguageProfile GermanProfile;
extern const LanguageProfile EnglishProfile;

// "E-mail: " followed by the contact address: Label7 under every profile and before any.
extern const std::string_view ContactText;

// Copies the profile's five program-wide texts into M, in the order LogTextBefore,
// LogTextAfter, CountMessage, DriveMessage, LogBaseName, each encoded to Windows-1252.
void InstallProgramTexts(const LanguageProfile& profile, Module1& m);

} // namespace rz408
