#pragma once
// The three information dialogs of the "?" menu. Each is modal and closed with its only
// button "OK"; none reads or returns anything.

class QWidget;

namespace kelvandor {

// "Info über Kelvandor": program name and version.
void ShowAboutBox(QWidget* parent);
// "Tastaturbelegung": the keys and the command-line options.
void ShowKeyHelp(QWidget* parent);
// "Dateiformat": how a puzzle's text file is written.
void ShowFileFormatHelp(QWidget* parent);

}  // namespace kelvandor
