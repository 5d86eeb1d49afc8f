#include "app/KelvandorDoc.h"

#include <QFileInfo>

namespace kelvandor {

bool CKelvandorDoc::OnNewDocument(bool hasView) {
    if (!hasView) {
        return false;
    }
    m_pathName = QStringLiteral("Das Spiel");
    return true;
}

bool CKelvandorDoc::OnOpenDocument(const QString& path, bool hasView) {
    if (!hasView) {
        return false;
    }
    m_pathName = path;
    return true;
}

bool CKelvandorDoc::OnSaveDocument(const QString&) const {
    return false;
}

QString CKelvandorDoc::Title() const {
    return QFileInfo(m_pathName).fileName();
}

QString CKelvandorDoc::WindowTitle() const {
    return Title() + QStringLiteral(" - Kelvandor");
}

}  // namespace kelvandor
