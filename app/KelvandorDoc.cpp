#include "app/KelvandorDoc.h"

#include <QFile>
#include <QFileInfo>

#include "control/DocumentPath.h"

namespace kelvandor {
namespace {

// Document paths are full, as other programs that ask for them expect.
QString FullPath(const QString& path) {
    return QFile::decodeName(MakeFullPath(QFile::encodeName(path).toStdString()).c_str());
}

}  // namespace

bool CKelvandorDoc::OnNewDocument(bool hasView) {
    if (!hasView) {
        return false;
    }
    m_pathName = FullPath(QStringLiteral("Das Spiel"));
    return true;
}

bool CKelvandorDoc::OnOpenDocument(const QString& path, bool hasView) {
    if (!hasView) {
        return false;
    }
    m_pathName = FullPath(path);
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
