#include "app/core/VariableTable.h"

#include "app/core/PathCleaning.h"

namespace {

// A value that refers to itself never reaches a fixed point; after this many passes
// the text is returned as it stands rather than looping for ever.
constexpr int maximumExpansionPasses = 64;
// A value holding its own reference twice doubles with every pass; stop before the
// text eats the memory.
constexpr qsizetype maximumExpandedLength = 1 << 20;

// Replaces every match by the value exactly as written: QString::replace would read
// "\1" in a value as a back-reference.
QString replaceLiterally(const QString &text, const QRegularExpression &pattern, const QString &value)
{
    QString replaced;
    qsizetype copiedUpTo = 0;
    bool matched = false;
    QRegularExpressionMatchIterator matches = pattern.globalMatch(text);
    while (matches.hasNext()) {
        const QRegularExpressionMatch match = matches.next();
        // A name that is itself a pattern may match nothing at all; a reference always
        // has text of its own.
        if (match.capturedLength() == 0)
            continue;
        replaced += QStringView(text).mid(copiedUpTo, match.capturedStart() - copiedUpTo);
        replaced += value;
        copiedUpTo = match.capturedEnd();
        matched = true;
    }
    if (!matched)
        return text;
    replaced += QStringView(text).mid(copiedUpTo);
    return replaced;
}

} // namespace

VariableTable &VariableTable::instance()
{
    static VariableTable table;
    return table;
}

VariableTable::Entry &VariableTable::entry(const QString &name)
{
    auto found = m_entries.find(name);
    if (found != m_entries.end())
        return found.value();
    // Names go into the pattern as written, so a name may itself be a pattern.
    m_references.insert(name, QRegularExpression(QStringLiteral("\\$\\(") + name + QStringLiteral("\\)")));
    return m_entries.insert(name, Entry()).value();
}

void VariableTable::setVariable(const QString &name, const QString &value)
{
    entry(name).value = value;
}

void VariableTable::setPathVariable(const QString &name, const QString &value)
{
    Entry &changed = entry(name);
    changed.value = value;
    changed.isPath = 1;
}

QString VariableTable::variable(const QString &name)
{
    // Asking for an unknown name creates it empty: later references expand to nothing.
    return substitutedValue(entry(name));
}

QString VariableTable::substitutedValue(const Entry &entry) const
{
    return entry.isPath ? normalisePath(entry.value) : entry.value;
}

QString VariableTable::expand(const QString &text) const
{
    QString result = text;
    for (int pass = 0; pass < maximumExpansionPasses; ++pass) {
        QString substituted = result;
        for (auto it = m_entries.constBegin(); it != m_entries.constEnd(); ++it) {
            const QRegularExpression pattern = m_references.value(it.key());
            if (pattern.isValid())
                substituted = replaceLiterally(substituted, pattern, substitutedValue(it.value()));
        }
        if (substituted == result || substituted.size() > maximumExpandedLength)
            return result;
        result = substituted;
    }
    return result;
}

QString VariableTable::normalisePath(const QString &path)
{
    return Platform::cleanPath(path);
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
