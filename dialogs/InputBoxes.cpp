#include "dialogs/InputBoxes.h"

#include <QFileDialog>
#include <QInputDialog>

namespace kelvandor {
namespace {

std::optional<QString> RunTextBox(QWidget* parent, const QString& title, const QString& prompt,
                                  const QString& initialText) {
    QInputDialog box(parent);
    box.setWindowModality(Qt::ApplicationModal);
    box.setInputMode(QInputDialog::TextInput);
    box.setWindowTitle(title);
    box.setLabelText(prompt);
    box.setTextValue(initialText);
    box.setOkButtonText(QStringLiteral("OK"));
    box.setCancelButtonText(QStringLiteral("Abbrechen"));
    if (box.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return box.textValue();
}

}  // namespace

std::optional<QString> FolderPicker(QWidget* parent, const QString& title,
                                    const QString& initialFolder) {
    const QString folder = QFileDialog::getExistingDirectory(parent, title, initialFolder);
    if (folder.isEmpty()) {
        return std::nullopt;
    }
    return folder;
}

std::optional<QString> TextInputBox(QWidget* parent, const QString& title, const QString& prompt,
                                    const QString& initialText) {
    return RunTextBox(parent, title, prompt, initialText);
}

std::optional<QString> NumberInputBox(QWidget* parent, const QString& title, const QString& prompt,
                                      long long initialValue) {
    // A plain text field: the game reads hex, octal and binary entries and turns junk into
    // 0, which a spin box would refuse before the game saw it.
    return RunTextBox(parent, title, prompt, QString::number(initialValue));
}

}  // namespace kelvandor
