#include "session/save_names.h"

#include <QFileInfo>

namespace morvi {

QString LowerExtension(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot).toLower();
}

std::optional<SaveType> WrittenKindOfName(const QString& path) {
    const QString extension = LowerExtension(path);
    if (extension == QStringLiteral(".bmp")) return SaveType::Bmp;
    if (extension == QStringLiteral(".jpg")) return SaveType::Jpeg;
    if (extension == QStringLiteral(".png")) return SaveType::Png;
    if (extension == QStringLiteral(".webp")) return SaveType::Webp;
    if (extension == QStringLiteral(".tif") || extension == QStringLiteral(".tiff")) return SaveType::Tiff;
    return std::nullopt;
}

SaveType SaveTypeForName(const QString& path) { return WrittenKindOfName(path).value_or(SaveType::Bmp); }

bool NeedsBmpName(const QString& path) { return !WrittenKindOfName(path).has_value(); }

QString WithExtension(const QString& path, const QString& ext) {
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString stem = dot < 0 ? name : name.left(dot);
    const qsizetype folderLength = path.size() - name.size();
    return path.left(folderLength) + stem + ext;
}

QString WithBmpExtension(const QString& path) { return WithExtension(path, QStringLiteral(".bmp")); }

QString ExtensionOfKind(SaveType type) {
    switch (type) {
        case SaveType::Jpeg: return QStringLiteral(".jpg");
        case SaveType::Png: return QStringLiteral(".png");
        case SaveType::Webp: return QStringLiteral(".webp");
        case SaveType::Tiff: return QStringLiteral(".tif");
        case SaveType::Bmp: break;
    }
    return QStringLiteral(".bmp");
}

QString NameForKind(const QString& path, SaveType type) {
    return WrittenKindOfName(path) == type ? path : WithExtension(path, ExtensionOfKind(type));
}

}  // namespace morvi
