#include "session/file_kinds.h"

#include <QFileInfo>

#include "gfx/picture.h"

namespace morvi {

bool IsSupportedPictureFile(const QString& path)
{
    // The extension is what follows the last dot of the file name, not of the
    // folder path: "/a.b/c" has none.
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0) return false;
    const QString ext = name.mid(dot).toLower();
    // The first six are the program's own; the others are the kinds pictures of
    // today come in.
    static const QStringList accepted = {".jpg", ".jpeg", ".bmp", ".ico", ".wmf", ".emf", ".png", ".gif",
                                         ".tif", ".tiff", ".webp", ".heic", ".heif", ".avif"};
    return accepted.contains(ext);
}

QStringList PictureFileFilters()
{
    QStringList entries;
    QStringList all;
    for (const gfx::FileFormat& format : gfx::PictureRegistry::FileFormats()) {
        const QString pattern = QStringLiteral("*.") + QString::fromStdString(format.extension);
        all << pattern;
        entries << QString::fromStdString(format.description) + QStringLiteral(" (") + pattern + QLatin1Char(')');
    }
    entries.prepend(QStringLiteral("すべて (") + all.join(QLatin1Char(' ')) + QLatin1Char(')'));
    return entries;
}

}  // namespace morvi
