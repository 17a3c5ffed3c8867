#include "session/save_names.h"

#include <QFileInfo>

namespace morvi {

QString LowerExtension(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot).toLower();
}

SaveType SaveTypeForName(const QString& path) {
    return LowerExtension(path) == QStringLiteral(".jpg") ? SaveType::Jpeg : SaveType::Bmp;
}

bool NeedsBmpName(const QString& path) {
    const QString extension = LowerExtension(path);
    return extension != QStringLiteral(".jpg") && extension != QStringLiteral(".bmp");
}

QString WithExtension(const QString& path, const QString& ext) {
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString stem = dot < 0 ? name : name.left(dot);
    const qsizetype folderLength = path.size() - name.size();
    return path.left(folderLength) + stem + ext;
}

QString WithBmpExtension(const QString& path) { return WithExtension(path, QStringLiteral(".bmp")); }

}  // namespace morvi
