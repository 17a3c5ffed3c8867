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
    static const QStringList accepted = {".jpg", ".jpeg", ".bmp", ".ico", ".wmf", ".emf"};
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
