#pragma once
// The small modal dialogs through which the game asks the user for a value. Each one is
// modal to the application and returns the value on OK or std::nullopt on Cancel (also when
// it was closed by the window manager or the program is ending). None of them judges the
// input: the game applies its own rules to what comes back.

#include <optional>

#include <QString>

class QWidget;

namespace kelvandor {

// The folder picker: Qt's folder dialog with the given title, large enough for its side bar,
// opened in FolderPickerStart(initialFolder). Returns the chosen folder as an absolute path.
std::optional<QString> FolderPicker(QWidget* parent, const QString& title,
                                    const QString& initialFolder);

// Where the folder picker opens: `initialFolder`, or the nearest folder above it that
// exists, or the home folder when there is none (on a first start the root is empty).
QString FolderPickerStart(const QString& initialFolder);

// A box with a title, a prompt and one text field pre-filled with `initialText`. Returns
// the field's text.
std::optional<QString> TextInputBox(QWidget* parent, const QString& title, const QString& prompt,
                                    const QString& initialText);

// A box with a title, a prompt and one field that shows `initialValue` in decimal. Returns
// the field's text as typed; reading the number from it (signs, bases, junk) is the
// caller's, so that a wrong entry can be judged the way the game judges it.
std::optional<QString> NumberInputBox(QWidget* parent, const QString& title, const QString& prompt,
                                      long long initialValue);

}  // namespace kelvandor
