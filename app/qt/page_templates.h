#pragma once
#include <array>
#include <span>
#include <string_view>

#include "app/qt/dialog_units.h"

// The four pages as tables of controls, the same templates the Windows
// program carries as resources: ids, texts with their "&" mnemonics,
// positions in dialog units, in template order, which is also the order the
// Tab key walks.

enum class ControlKind {
  rightLabel,     // static text, right-aligned
  leftLabel,      // static text, left-aligned
  centredLabel,   // static text, centred
  indentedLabel,  // static text, left-aligned and set in from the left
  edit,           // bordered edit
  readOnlyEdit,   // bordered edit the user cannot change
  pushButton,     // push button, centred text
  heading,        // push button that only carries the program's name
  checkBox,       // check box that flips its own mark
  groupBox,       // frame with a title
  etchedFrame,    // frame without a title
};

// Id of the controls that the program never refers to.
inline constexpr int noControlId = 65535;

struct ControlTemplate {
  int id;
  ControlKind kind;
  std::string_view text;
  DialogRect rect;
};

// Every page is this large, in dialog units.
inline constexpr int pageWidth = 248;
inline constexpr int pageHeight = 224;

// The tables keep one control to a line, as the templates do.
// clang-format off

// "MAIN": the sort page.
inline constexpr std::array<ControlTemplate, 30> sortPageTemplate{{
    {noControlId, ControlKind::rightLabel, "Zielpfad:", {16, 13, 32, 8}},
    {101, ControlKind::edit, "", {52, 11, 160, 12}},
    {106, ControlKind::pushButton, "?", {216, 10, 24, 14}},
    {noControlId, ControlKind::rightLabel, "Coverpfad:", {8, 33, 40, 8}},
    {102, ControlKind::edit, "", {52, 31, 160, 12}},
    {107, ControlKind::pushButton, "?", {216, 30, 24, 14}},
    {noControlId, ControlKind::rightLabel, "Quellpfad:", {8, 53, 36, 8}},
    {103, ControlKind::edit, "", {52, 51, 160, 12}},
    {108, ControlKind::pushButton, "?", {216, 50, 24, 14}},
    {noControlId, ControlKind::groupBox, "Statistik", {8, 68, 228, 116}},
    {noControlId, ControlKind::rightLabel, "Dateien:", {12, 78, 32, 8}},
    {105, ControlKind::readOnlyEdit, "", {44, 76, 32, 12}},
    {noControlId, ControlKind::rightLabel, "Doppelt:", {84, 78, 28, 8}},
    {104, ControlKind::readOnlyEdit, "", {112, 76, 28, 12}},
    {noControlId, ControlKind::rightLabel, "aktuelles Verzeichnis:", {16, 94, 76, 8}},
    {109, ControlKind::readOnlyEdit, "", {92, 92, 136, 12}},
    {noControlId, ControlKind::rightLabel, "aktuelle Datei:", {16, 106, 76, 8}},
    {110, ControlKind::readOnlyEdit, "", {92, 104, 136, 12}},
    {noControlId, ControlKind::rightLabel, "Künstler:", {56, 122, 36, 8}},
    {111, ControlKind::readOnlyEdit, "", {92, 120, 136, 12}},
    {noControlId, ControlKind::rightLabel, "Album:", {56, 134, 36, 8}},
    {113, ControlKind::readOnlyEdit, "", {92, 132, 136, 12}},
    {noControlId, ControlKind::rightLabel, "Titel:", {68, 146, 24, 8}},
    {112, ControlKind::readOnlyEdit, "", {92, 144, 136, 12}},
    {noControlId, ControlKind::rightLabel, "Jahr:", {68, 158, 24, 8}},
    {114, ControlKind::readOnlyEdit, "", {92, 156, 136, 12}},
    {noControlId, ControlKind::rightLabel, "Genre:", {68, 170, 24, 8}},
    {115, ControlKind::readOnlyEdit, "", {92, 168, 136, 12}},
    {100, ControlKind::pushButton, "&Start", {8, 200, 228, 16}},
    {116, ControlKind::leftLabel, "", {8, 188, 228, 8}},
}};

// "OPTIONS": the fourteen flags and the reset of the duplicate table.
inline constexpr std::array<ControlTemplate, 17> optionsPageTemplate{{
    {noControlId, ControlKind::groupBox, "Quelle", {8, 4, 232, 80}},
    {noControlId, ControlKind::groupBox, "Ziel", {8, 88, 232, 128}},
    {200, ControlKind::checkBox, "rekursiver &Verzeichnisscan", {24, 18, 204, 12}},
    {201, ControlKind::checkBox, "Datei nach dem Kopieren l&öschen", {24, 34, 204, 12}},
    {202, ControlKind::checkBox, "Verzeichnisse für &Künstler anlegen", {24, 132, 128, 12}},
    {203, ControlKind::checkBox, "Verzeichnisse für &Genre anlegen", {24, 148, 208, 12}},
    {208, ControlKind::checkBox, "&Unbekanntes kopieren", {24, 164, 120, 12}},
    {204, ControlKind::checkBox, "&Cover kopieren", {24, 180, 200, 12}},
    {205, ControlKind::checkBox, "&Kollisionen umbenennen", {24, 196, 96, 12}},
    {206, ControlKind::checkBox, "&Duplikate ignorieren (CRC)", {24, 50, 104, 12}},
    {207, ControlKind::checkBox, "&CRC speichern", {24, 66, 204, 12}},
    {209, ControlKind::pushButton, "&CRC &löschen", {140, 49, 68, 14}},
    {210, ControlKind::checkBox, "&Album", {156, 132, 60, 12}},
    {211, ControlKind::checkBox, "Dateinamen &beibehalten", {128, 196, 108, 12}},
    {212, ControlKind::checkBox, "nur Titel umbenennen", {24, 108, 88, 12}},
    {213, ControlKind::checkBox, "Namen säubern", {156, 108, 68, 12}},
    {101, ControlKind::checkBox, "nur Namen säubern", {156, 120, 80, 12}},
}};

// "CHARITY": the request to give to a charity instead of paying.
inline constexpr std::array<ControlTemplate, 13> charityPageTemplate{{
    {noControlId, ControlKind::etchedFrame, "", {8, 8, 232, 208}},
    {noControlId, ControlKind::heading, "Liedkorb", {72, 16, 104, 24}},
    {noControlId, ControlKind::centredLabel, "Liedkorb ist Charityware.", {12, 48, 224, 12}},
    {noControlId, ControlKind::centredLabel, "Was heißt das?", {12, 72, 224, 12}},
    {noControlId, ControlKind::centredLabel, "Sie dürfen Liedkorb kostenlos nutzen und weitergeben.",
     {12, 84, 224, 12}},
    {noControlId, ControlKind::centredLabel, "Wenn Ihnen das Programm gefällt und Sie es oft",
     {12, 96, 224, 12}},
    {noControlId, ControlKind::centredLabel, "nutzen, spenden Sie bitte einen Betrag Ihrer Wahl",
     {12, 108, 224, 12}},
    {noControlId, ControlKind::centredLabel, "an eine gemeinnützige Organisation, statt zu zahlen.",
     {12, 120, 224, 12}},
    {noControlId, ControlKind::centredLabel, "Warum eine Spende?", {12, 144, 224, 12}},
    {noControlId, ControlKind::centredLabel, "Für ein Programm fallen ein paar Euro kaum ins",
     {12, 156, 224, 12}},
    {noControlId, ControlKind::centredLabel, "Gewicht, bei einer Kinderhilfe, einer Tafel oder",
     {12, 168, 224, 12}},
    {noControlId, ControlKind::centredLabel, "einem Tierheim bewirken sie viel. Sie wählen, wo.",
     {12, 180, 224, 12}},
    {noControlId, ControlKind::centredLabel, "Vielen Dank für Ihre Hilfe!", {12, 200, 224, 12}},
}};

// "SUPPORT": how to reach the author, and the disclaimer. The addresses are
// placeholders of the reserved example domain.
inline constexpr std::array<ControlTemplate, 15> supportPageTemplate{{
    {noControlId, ControlKind::etchedFrame, "", {8, 8, 232, 208}},
    {noControlId, ControlKind::heading, "Liedkorb", {72, 16, 104, 24}},
    {noControlId, ControlKind::centredLabel, "Fragen, Fehler, Wünsche", {14, 48, 220, 12}},
    {noControlId, ControlKind::centredLabel, "Sie haben einen Fehler gefunden oder vermissen",
     {14, 60, 220, 12}},
    {noControlId, ControlKind::centredLabel, "eine Funktion? Schreiben Sie dem Autor, jede",
     {14, 72, 220, 12}},
    {noControlId, ControlKind::centredLabel, "Rückmeldung hilft, Liedkorb besser zu machen.",
     {14, 84, 220, 12}},
    {noControlId, ControlKind::centredLabel, "Wie erreichen Sie den Autor?", {14, 100, 220, 12}},
    {noControlId, ControlKind::indentedLabel, "E-Mail:  liedkorb@example.org", {14, 112, 220, 12}},
    {noControlId, ControlKind::indentedLabel, "Internet:  https://liedkorb.example.org",
     {14, 124, 220, 12}},
    {noControlId, ControlKind::indentedLabel, "Fehler melden:  https://liedkorb.example.org/fehler",
     {14, 136, 220, 12}},
    {noControlId, ControlKind::indentedLabel, "Bitte nennen Sie Version, System und Ihre Schritte.",
     {14, 148, 220, 12}},
    {noControlId, ControlKind::centredLabel, "Liedkorb wurde sorgfältig getestet. Trotzdem",
     {14, 164, 220, 8}},
    {noControlId, ControlKind::centredLabel, "übernimmt der Autor keine Haftung für Schäden",
     {14, 172, 220, 8}},
    {noControlId, ControlKind::centredLabel, "durch das Programm. Sichern Sie Ihre Dateien.",
     {14, 180, 220, 8}},
    {noControlId, ControlKind::centredLabel, "Viel Spaß mit Liedkorb!", {14, 200, 220, 12}},
}};
// clang-format on
