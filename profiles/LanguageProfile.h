// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Module1.h"

#include <array>
#include <string_view>

namespace rz408 {

// The texts that the desktop program adds around a profile's own, in the profile's language:
// the end-of-run message's lists of failed files and of sources read as Unicode, a folder that
// cannot be opened, and the progress of a long run. "%1" and "%2" stand for the parts named
// beside each; the system's reasons go in as the system words them.
struct ProgramMessages {
    std::string_view OneFileFailed;  // heading of the list of failed sources, one source
    std::string_view FilesFailed;    // the same, %1 sources
    std::string_view FailedFile;     // one line of that list: %1 the source, %2 what failed
    std::string_view CannotRead;     // %1 the system's reason (FailedFile names the source)
    std::string_view CannotWrite;    // %1 the copy, %2 the system's reason
    std::string_view CopyIsLog;      // %1 the copy, which would overwrite the log file
    std::string_view AndMore;        // ends a list cut short: %1 the entries not named
    std::string_view LogFileFailed;  // %1 the log file, %2 the system's reason
    std::string_view OneUnicodeFile; // heading of the list of sources read as Unicode, one
    std::string_view UnicodeFiles;   // the same, more than one
    std::string_view OneBroken;      // behind a source of that list: one broken sequence
    std::string_view ManyBroken;     // the same: %1 broken sequences
    std::string_view RunStopped;     // the run ended early: %1 why
    std::string_view FolderFailed;   // %1 the folder, %2 the system's reason
    std::string_view Converting;     // the progress dialog's text
    std::string_view FilesDone;      // its bar: %1 files done of %2 listed
    std::string_view Cancel;         // its button
    std::string_view Stopping;       // its text once Cancel was pressed
};

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
    ProgramMessages Messages;
};

extern const LanguageProfile kFrenchProfile;
extern const LanguageProfile kGermanProfile;
extern const LanguageProfile kEnglishProfile;

// "E-mail: " followed by the contact address: Label7 under every profile and before any.
extern const std::string_view kContactText;

// Copies the profile's five program-wide texts into M, in the order LogTextBefore,
// LogTextAfter, CountMessage, DriveMessage, LogBaseName, each encoded to Windows-1252.
void InstallProgramTexts(const LanguageProfile& profile, Module1& m);

} // namespace rz408
