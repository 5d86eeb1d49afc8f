#include "dialogs/InputBoxes.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QInputDialog>
#include <QScreen>
#include <QSplitter>
#include <QUrl>

namespace kelvandor {
namespace {

constexpr int kFolderPickerWidth = 820;
constexpr int kFolderPickerHeight = 520;
constexpr int kFolderPickerSideBar = 180;

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

QString FolderPickerStart(const QString& initialFolder) {
    // A root on a medium that is gone (a USB stick) still opens close to where it was.
    QString folder = initialFolder;
    while (!folder.isEmpty() && !QFileInfo(folder).isDir()) {
        const QString parentFolder = QFileInfo(folder).path();
        folder = parentFolder == folder || parentFolder == QStringLiteral(".") ? QString()
                                                                               : parentFolder;
    }
    return folder.isEmpty() ? QDir::homePath() : QDir(folder).absolutePath();
}

std::optional<QString> FolderPicker(QWidget* parent, const QString& title,
                                    const QString& initialFolder) {
    // Qt's own dialog rather than the desktop's: it speaks the program's German through Qt's
    // translations and looks the same on every desktop.
    QFileDialog dialog(parent, title, FolderPickerStart(initialFolder));
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOptions(QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    dialog.setSidebarUrls({QUrl::fromLocalFile(QDir::homePath()),
                           QUrl::fromLocalFile(QDir::rootPath()),
                           QUrl::fromLocalFile(dialog.directory().absolutePath())});
    // Large enough that the side bar stands beside the folders, as long as the screen allows.
    QSize size(kFolderPickerWidth, kFolderPickerHeight);
    if (const QScreen* screen =
            parent != nullptr ? parent->screen() : QGuiApplication::primaryScreen()) {
        size = size.boundedTo(screen->availableGeometry().size());
    }
    dialog.resize(size);
    if (auto* splitter = dialog.findChild<QSplitter*>(QStringLiteral("splitter"))) {
        splitter->setSizes({kFolderPickerSideBar, size.width() - kFolderPickerSideBar});
    }
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    const QString folder = dialog.selectedUrls().value(0).toLocalFile();
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
