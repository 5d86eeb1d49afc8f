#pragma once
// The document: a thin shell that gives the window its title. All game data lives in the
// game view; nothing is ever loaded from or saved to a document file.

#include <QString>

namespace kelvandor {

class CKelvandorDoc {
public:
    // The new-document step: the document is called "Das Spiel" (in the working folder, as
    // every path name is full). Fails without a view.
    bool OnNewDocument(bool hasView);
    // Opening a path reads nothing; it only renames the document (and so the title) to the
    // path made full.
    // Fails without a view.
    bool OnOpenDocument(const QString& path, bool hasView);
    // Nothing is ever written.
    bool OnSaveDocument(const QString& path) const;
    // Never modified, so closing never asks to save.
    bool IsModified() const { return false; }

    const QString& PathName() const { return m_pathName; }
    // The title shown in the frame: the document's file name.
    QString Title() const;
    // The frame's caption: the document title, a spaced hyphen, then "Kelvandor".
    QString WindowTitle() const;

private:
    QString m_pathName;
};

}  // namespace kelvandor
