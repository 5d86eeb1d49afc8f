#include "dialogs/HelpDialogs.h"

#include <utility>

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace kelvandor {
namespace {

using TextPair = std::pair<const char*, const char*>;

const TextPair kKeyRows[] = {
    {"F1", ": Sterne ++ links"},     {"F2", ": Sterne ++ rechts"},
    {"F3", ": Sterne -- links"},     {"F4", ": Sterne -- rechts"},
    {"F5", ": Zum nächsten Spiel"},  {"F6", ": Auflösung aufdecken"},
    {"F7", ": Stop links"},          {"F8", ": Stop rechts"},
    {"F9", ": Auflösung aufdecken"}, {"F10", ": Fenster zommen"},
    {"F11", ": Spieler wechseln"},   {"Pfeiltasten", ": Elemente verschieben"},
};

const TextPair kCommandLineRows[] = {
    {"-z", ": Programm gezoomt starten"},
    {"<Pfad>", ": Pfad vom Spiel das gestartet werden soll"},
};

const char* const kFileFormatLines[] = {
    "Erste Zeile :",
    "Die erste Zeile enhält die Frage die im ",
    "Bildschim oben angezeigt wird.",
    "Weiter Zeilen: ",
    "Die weiteren Zeilen enthalten die möglichen",
    "Antworten. Die Antworten müssen in der",
    "richtigen Reihenfolge vorhanden sein.",
    "Nach der Antwort kann mit |??? ein Text",
    "mit der Lösung angegeben werden-",
    "Nach der Lösung kann mit |??? ein Bild",
    "im lokalen Verzeichnis angegeben werden.",
};

QLabel* Text(const char* utf8, QWidget* parent) {
    auto* label = new QLabel(QString::fromUtf8(utf8), parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}

// A dialog with the given title whose content is laid out by `fill`, closed by "OK".
template <typename Fill>
void RunDialog(QWidget* parent, const char* title, Fill fill) {
    QDialog dialog(parent);
    dialog.setWindowTitle(QString::fromUtf8(title));
    auto* layout = new QVBoxLayout(&dialog);
    fill(dialog, *layout);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    layout->addWidget(buttons);
    dialog.exec();
}

void AddRows(QGridLayout& grid, QWidget& parent, const TextPair* begin, const TextPair* end) {
    for (const TextPair* row = begin; row != end; ++row) {
        const int r = grid.rowCount();
        grid.addWidget(Text(row->first, &parent), r, 0);
        grid.addWidget(Text(row->second, &parent), r, 1);
    }
}

}  // namespace

void ShowAboutBox(QWidget* parent) {
    RunDialog(parent, "Info über Kelvandor", [](QDialog& dialog, QVBoxLayout& layout) {
        auto* row = new QHBoxLayout;
        auto* icon = new QLabel(&dialog);
        icon->setPixmap(QApplication::windowIcon().pixmap(32, 32));
        row->addWidget(icon, 0, Qt::AlignTop);
        auto* texts = new QVBoxLayout;
        texts->addWidget(Text("Kelvandor Version 1.0", &dialog));
        texts->addWidget(Text("Das Quizspiel für zwei Spieler", &dialog));
        row->addLayout(texts, 1);
        layout.addLayout(row);
    });
}

void ShowKeyHelp(QWidget* parent) {
    RunDialog(parent, "Tastaturbelegung", [](QDialog& dialog, QVBoxLayout& layout) {
        auto* keys = new QGridLayout;
        AddRows(*keys, dialog, std::begin(kKeyRows), std::end(kKeyRows));
        layout.addLayout(keys);
        layout.addSpacing(8);
        layout.addWidget(Text("Kommandozeilenparameter :", &dialog));
        auto* options = new QGridLayout;
        AddRows(*options, dialog, std::begin(kCommandLineRows), std::end(kCommandLineRows));
        layout.addLayout(options);
    });
}

void ShowFileFormatHelp(QWidget* parent) {
    RunDialog(parent, "Dateiformat", [](QDialog& dialog, QVBoxLayout& layout) {
        auto* heading = Text("Aufbau der Datei Game.txt in jedem Rätselverzeichnis :", &dialog);
        QFont bold = heading->font();
        bold.setBold(true);
        heading->setFont(bold);
        layout.addWidget(heading);
        for (const char* line : kFileFormatLines) {
            layout.addWidget(Text(line, &dialog));
        }
    });
}

}  // namespace kelvandor
