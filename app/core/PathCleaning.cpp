#include "app/core/PathCleaning.h"

#include <QStringList>

namespace Platform {

QString cleanPath(const QString &path)
{
    const QStringList segments = path.split(QLatin1Char('/'));
    QStringList kept;
    bool changed = false;
    for (int i = 0; i < segments.size(); ++i) {
        const QString &segment = segments.at(i);
        if (i == 0 && segment.isEmpty()) {
            kept.append(segment); // the leading "/" of an absolute path
            continue;
        }
        if (segment.isEmpty() || segment == QLatin1String(".")) {
            changed = true;
            continue;
        }
        if (segment == QLatin1String("..")) {
            const bool hasKeptName = !kept.isEmpty() && !kept.last().isEmpty()
                                     && kept.last() != QLatin1String("..");
            if (hasKeptName) {
                kept.removeLast();
                changed = true;
                continue;
            }
        }
        kept.append(segment);
    }
    if (!changed)
        return path;
    if (kept.size() == 1 && kept.first().isEmpty())
        return QStringLiteral("/");
    return kept.join(QLatin1Char('/'));
}

} // namespace Platform
