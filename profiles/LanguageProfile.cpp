// SPDX-License-Identifier: GPL-3.0-or-later
#include "LanguageProfile.h"

#include "Encoding.h"

#include <algorithm>

namespace rz408 {

namespace {

// The one contact address; every profile's Label7 shows it behind "E-mail: ".
constexpr std::string_view kContactAddress = "rz408-textconverter@example.org";
constexpr std::string_view kContactLead = "E-mail: ";

constexpr auto kContactChars = [] {
    std::array<char, kContactLead.size() + kContactAddress.size()> text{};
    auto next = std::copy(kContactLead.begin(), kContactLead.end(), text.begin());
    std::copy(kContactAddress.begin(), kContactAddress.end(), next);
    return text;
}();

} // namespace

constexpr std::string_view kContactText{kContactChars.data(), kContactChars.size()};

// The texts below are kept character for character, blanks included: several end with a
// blank or hold two blanks in a row ("Konvertiere DEU zu TXT  ", German Label2 and Label4),
// and the French log base name ends with a dot, which gives "Erreurs_de_conversion..txt".

constexpr LanguageProfile kFrenchProfile{
    .WindowCaption = "Operation Gorvald textconverter pour le patch RZ408.",
    .ConvertCaption = "Traduit FRA au TXT",
    .BackCaption = "Fin",
    .LabelTexts =
        {
            // Label1
            "Ce programme permet d'utiliser le patch RZ408* avec la version française "
            "de Vandrok. Le programme fait une copie '*.txt' de tous les fichiers '*.fra' "
            "qui sont dans le dossier que vous choisissez pour le programme.",
            // Label2
            "Sélectionnez le dossier où vos fichiers '*.fra' sont placés et presser "
            "le bouton 'Convert FRA to TXT'. Eclatez-vous bien avec le patch RZ408.- "
            "Morrik 'Programmer' Halvsted.",
            // Label3
            "En copiant les fichiers, le programme 'traduit' tous les caractères spéciaux "
            "français en valeurs qui peuvent être utilisée avec la version anglaise "
            "du programme. Les caractères spéciaux français qui sont 'traduits' sont: "
            "é to e, ô to o, .....",
            // Label4
            "Comme le patch RZ408 interdit toute valeur ASCII au delà de 127, ce programme "
            "va changer toutes les valeurs au dessus de 127 en espaces. Cela pour être "
            "sûr que le jeu ne se plantera pas à cause d'une valeur invalide. Si vous "
            "trouvez des espaces dans vos textes qui aurait du être 'traduits' en autre "
            "chose, surtout n'hésitez pas à m'envoyer un e-mail à propos du caractère "
            "qui manque, et de la valeur en laquelle il aurait du être 'traduit', ainsi "
            "je pourrais corriger mon programme.",
            // Label5
            "Vous devez convertir les fichiers dans trois dossiers différents: le dossier "
            "principal 'Opération Gorvald', le dossier 'scenario' et le dossier 'userscen'.",
            // Label6
            "Si vous installez des nouvelles campaignes ou des nouveaux scénarios en "
            "français, utilisez de nouveau ce programme.",
            // Label7
            kContactText,
        },
    .FilePattern = "*.fra",
    .LogTextBefore = " (La valeur ASCII ",
    .LogTextAfter = ") est convertie en 'espace'.",
    .CountMessage = "Nombre de fichiers convertis pour le patch RZ408: ",
    .DriveMessage = "Ce programme peut être utilisé seulement avec des dossiers placés sur "
                    "le disque dur.",
    .LogBaseName = "Erreurs_de_conversion.",
    .ConvertEnabled = true,
    .Messages =
        {
            .OneFileFailed = "1 fichier n'a pas pu être converti\u00a0:",
            .FilesFailed = "%1 fichiers n'ont pas pu être convertis\u00a0:",
            .FailedFile = "%1\u00a0: %2",
            .CannotRead = "lecture impossible\u00a0: %1",
            .CannotWrite = "impossible d'écrire %1\u00a0: %2",
            .CopyIsLog = "sa copie %1 écraserait le fichier journal",
            .AndMore = "… et %1 autres.",
            .LogFileFailed = "Le fichier journal %1 n'a pas pu être écrit\u00a0: %2",
            .OneUnicodeFile = "Ce fichier est enregistré en Unicode et a été lu comme tel\u00a0:",
            .UnicodeFiles = "Ces fichiers sont enregistrés en Unicode et ont été lus comme "
                            "tels\u00a0:",
            .OneBroken = "1 séquence invalide est devenue une espace",
            .ManyBroken = "%1 séquences invalides sont devenues des espaces",
            .RunStopped = "La conversion s'est arrêtée\u00a0: %1",
            .FolderFailed = "Impossible d'ouvrir le dossier «\u00a0%1\u00a0»\u00a0: %2",
            .Converting = "Conversion des fichiers en cours…",
            .FilesDone = "%1 sur %2 fichiers",
            .Cancel = "Annuler",
            .Stopping = "Arrêt après le fichier en cours…",
        },
};

constexpr LanguageProfile kGermanProfile{
    .WindowCaption = "Vandrok-text konverter für Userpatch.",
    .ConvertCaption = "Konvertiere DEU zu TXT  ",
    .BackCaption = "Ende",
    .LabelTexts =
        {
            // Label1
            "Dieses Programm macht es möglich das RZ408* Userpatch zu nutzen und gleichzeitig "
            "die deutschen Texte zu verwenden. Das Programm erstellt eine Kopie von "
            "allen *.deu Dateien in dem von dir gewählten Ordner und konvertiert diese "
            "Dateien in das txt Format.",
            // Label2
            "Wähle den Ordner wo sich deine *.deu Dateien befinden und drücke 'Konvertiere "
            "DEU zu TXT'.  Viel Spass mit dem Userpatch - Morrik 'Programmer' Halvsted. ",
            // Label3
            "Das Programm übersetzt gleichzeitig alle deutschen Spezialzeichen. ä wird "
            "ae, Ä wird AE, ö wird oe, Ö wird OE, ü wird ue, Ü wird UE und ß wird ss.",
            // Label4
            "Da das  RZ408* Patch keine ASCII Werte über 127 erkennt, übersetzt das "
            "Konvertierungsprogramm jene Werte als Leerzeichen, um Programmzusammenbrüche "
            "zu vermeiden. Wenn du Leerzeichen in den umgewandelten Texten findest, "
            "die in etwas anderes hätten übersetzt werden sollen, dann schicke mir "
            "bitte den Charakter der hätte übersetzt werden sollen und den Wert, in "
            "den es umgewandelt werden sollte. ",
            // Label5
            "Zum konvertieren brauchst du 3 Ordner: den Hauptordner (gorvald3 oder "
            "so ...), danach den scenario- und den userscenordner.",
            // Label6
            "Bei einer neuen installation von campaigns und scenarios, einfach wieder "
            "dieses programm verwenden.",
            // Label7
            kContactText,
        },
    .FilePattern = "*.deu",
    .LogTextBefore = " (ascii werte",
    .LogTextAfter = ") ist konvertiert zu leerzeichen.",
    .CountMessage = "Anzahl der konvertierten Dateien für Userpatch408: ",
    .DriveMessage = "Dieser programm kann nur mit Ordnern auf eine Harddisk benutz werden.",
    .LogBaseName = "konvertionsfehler",
    .ConvertEnabled = true,
    .Messages =
        {
            .OneFileFailed = "1 Datei konnte nicht konvertiert werden:",
            .FilesFailed = "%1 Dateien konnten nicht konvertiert werden:",
            .FailedFile = "%1: %2",
            .CannotRead = "konnte nicht gelesen werden: %1",
            .CannotWrite = "%1 konnte nicht geschrieben werden: %2",
            .CopyIsLog = "die Kopie %1 würde die Protokolldatei überschreiben",
            .AndMore = "… und %1 weitere.",
            .LogFileFailed = "Die Protokolldatei %1 konnte nicht geschrieben werden: %2",
            .OneUnicodeFile = "Diese Datei ist in Unicode gespeichert und wurde entsprechend "
                              "gelesen:",
            .UnicodeFiles = "Diese Dateien sind in Unicode gespeichert und wurden entsprechend "
                            "gelesen:",
            .OneBroken = "1 ungültige Bytefolge wurde zum Leerzeichen",
            .ManyBroken = "%1 ungültige Bytefolgen wurden zu Leerzeichen",
            .RunStopped = "Die Konvertierung wurde abgebrochen: %1",
            .FolderFailed = "Der Ordner „%1“ kann nicht geöffnet werden: %2",
            .Converting = "Die Dateien werden konvertiert …",
            .FilesDone = "%1 von %2 Dateien",
            .Cancel = "Abbrechen",
            .Stopping = "Die Konvertierung endet nach der aktuellen Datei …",
        },
};

constexpr LanguageProfile kEnglishProfile{
    .WindowCaption = "RZ408 patch textconverter for French and German Vandrok.",
    .ConvertCaption = "This will not work - Tolvar",
    .BackCaption = "End",
    .LabelTexts =
        {
            // Label1
            "This program makes it possible to use the RZ408* userpatch, and at the "
            "same time keep your French/German texts. The program makes a *.txt copy "
            "of all *.fra/deu files that resides in the folder you point the program "
            "to. ",
            // Label2
            "Select the folder where your *.fra/deu files are located and press the "
            "'Convert FRA/DEU to TXT' button. Have fun with the userpatch - Morrik "
            "'Programmer' Halvsted.",
            // Label3
            "While copying the files, the program 'translates' all French/German special "
            "characters into values that can be used with the English version of the "
            "program. French/German special characters that are 'translated' are: (Check "
            "with the readme)",
            // Label4
            "Because the RZ408 userpatch does not allow any ASCII values above 127, "
            "this program will change any other values above 127 than the above mentioned "
            "to spaces. This is done to ensure that the game does not crash because "
            "of invalid character values. If you find spaces in your texts that should "
            "have been 'translated' to something else, please don't hesitate to e-mail "
            "me of the character that is missing, and the value it should be 'translated' "
            "to, so I can make a correction for my program. ",
            // Label5
            "You need to convert the files in three different folders: The main Operation "
            "Gorvald/Gorvald3 folder, the scenario folder and the userscenario folder.",
            // Label6
            "If you install new campaigns or scenarios in French/german, just use this "
            "program again.",
            // Label7
            kContactText,
        },
    .FilePattern = "Tolvar Quennel.tqu",
    .LogTextBefore = " (ASCII value",
    .LogTextAfter = ") is converted to space.",
    .CountMessage = "Number of converted files for Userpatch408:",
    .DriveMessage = "This program can only be used with folders on a harddisk.",
    .LogBaseName = "Conversionerrors",
    .ConvertEnabled = false,
    .Messages =
        {
            .OneFileFailed = "1 file could not be converted:",
            .FilesFailed = "%1 files could not be converted:",
            .FailedFile = "%1: %2",
            .CannotRead = "cannot be read: %1",
            .CannotWrite = "cannot write %1: %2",
            .CopyIsLog = "its copy %1 would overwrite the log file",
            .AndMore = "… and %1 more.",
            .LogFileFailed = "The log file %1 could not be written: %2",
            .OneUnicodeFile = "This file is saved as Unicode and was read as such:",
            .UnicodeFiles = "These files are saved as Unicode and were read as such:",
            .OneBroken = "1 invalid sequence became a blank",
            .ManyBroken = "%1 invalid sequences became blanks",
            .RunStopped = "The conversion stopped: %1",
            .FolderFailed = "The folder \"%1\" cannot be opened: %2",
            .Converting = "Converting the files…",
            .FilesDone = "%1 of %2 files",
            .Cancel = "Cancel",
            .Stopping = "Stopping after the current file…",
        },
};

void InstallProgramTexts(const LanguageProfile& profile, Module1& m) {
    m.LogTextBefore = Utf8ToCp1252(profile.LogTextBefore);
    m.LogTextAfter = Utf8ToCp1252(profile.LogTextAfter);
    m.CountMessage = Utf8ToCp1252(profile.CountMessage);
    m.DriveMessage = Utf8ToCp1252(profile.DriveMessage);
    m.LogBaseName = Utf8ToCp1252(profile.LogBaseName);
}

} // namespace rz408
