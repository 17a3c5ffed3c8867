#include "app/viewer/years_text.h"

namespace morvi {

QString YearsText(int year)
{
    const QString first = QStringLiteral("2000 ");
    const QString current = QStringLiteral("%1").arg(year, 4, 10, QLatin1Char('0'));
    if (current == QLatin1String("2000")) return first;
    return (first + (QStringLiteral("- ") + current).left(10)).left(15);
}

}  // namespace morvi
