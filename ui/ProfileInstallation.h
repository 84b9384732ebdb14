#pragma once

// The installation of a language profile: what one choice on the start window does.

namespace rz408 {

class Main;
struct LanguageProfile;
struct Module1;

// Hides the start window, shows the converter window (creating it on first use), and sets,
// in this order: its caption, the captions of Command1 and Command2, the texts of Label1,
// Label3, Label4, Label5, Label2, Label6 and Label7, the pattern of File1, the five
// program-wide texts of M, and last the enabled state of Command1. Every field is set, so
// nothing of an earlier profile survives. Drive1 and Dir1 are not touched.
void InstallProfile(const LanguageProfile& profile, Main& startWindow, Module1& m);

} // namespace rz408
