#include "app/core/VariableTable.h"

#include <QHash>
#include <QRegularExpression>
#include <QStringList>

namespace {

// A value that refers to itself never reaches a fixed point; after this many passes
// the text is returned as it stands rather than looping for ever.
constexpr int maximumExpansionPasses = 64;

const QRegularExpression &referencePattern(const QString &name)
{
    static QHash<QString, QRegularExpression> cache;
    auto found = cache.constFind(name);
    if (found == cache.constEnd())
        found = cache.insert(name, QRegularExpression(QStringLiteral("\\$\\(") + name + QStringLiteral("\\)")));
    return found.value();
}

} // namespace

VariableTable &VariableTable::instance()
{
    static VariableTable table;
    return table;
}

void VariableTable::setVariable(const QString &name, const QString &value)
{
    m_entries[name].value = value;
}

void VariableTable::setPathVariable(const QString &name, const QString &value)
{
    Entry &entry = m_entries[name];
    entry.value = value;
    entry.isPath = 1;
}

QString VariableTable::variable(const QString &name)
{
    auto found = m_entries.find(name);
    if (found == m_entries.end()) {
        m_entries.insert(name, Entry());
        return QString();
    }
    return substitutedValue(found.value());
}

QString VariableTable::substitutedValue(const Entry &entry) const
{
    return entry.isPath ? normalisePath(entry.value) : entry.value;
}

QString VariableTable::expand(const QString &text) const
{
    QString result = text;
    for (int pass = 0; pass < maximumExpansionPasses; ++pass) {
        if (!result.contains(QLatin1String("$(")))
            return result;
        QString substituted = result;
        for (auto it = m_entries.constBegin(); it != m_entries.constEnd(); ++it) {
            const QRegularExpression &pattern = referencePattern(it.key());
            if (!pattern.isValid())
                continue;
            substituted.replace(pattern, substitutedValue(it.value()));
        }
        if (substituted == result)
            return result;
        result = substituted;
    }
    return result;
}

QString VariableTable::normalisePath(const QString &path)
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
            const bool hasRetainedName = !kept.isEmpty() && !kept.last().isEmpty()
                                         && kept.last() != QLatin1String("..");
            if (hasRetainedName) {
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

void setVariable(const QString &name, const QString &value)
{
    VariableTable::instance().setVariable(name, value);
}

void setPathVariable(const QString &name, const QString &value)
{
    VariableTable::instance().setPathVariable(name, value);
}

QString variable(const QString &name)
{
    return VariableTable::instance().variable(name);
}

QString expand(const QString &text)
{
    return VariableTable::instance().expand(text);
}

QString escapeRegExp(const QString &text)
{
    static const QString special = QStringLiteral("\\{}[]():?^$.+*,");
    QString escaped;
    escaped.reserve(text.size() * 2);
    for (const QChar c : text) {
        if (special.contains(c))
            escaped.append(QLatin1Char('\\'));
        escaped.append(c);
    }
    return escaped;
}
