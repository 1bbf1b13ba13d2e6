#include "CommandLine.h"

#include "app/core/HException.h"

CommandLine::CommandLine(const QStringList &arguments, const QStringList &flags,
                         const QStringList &valueOptions)
{
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (!argument.startsWith(QLatin1String("--")) || argument == QLatin1String("--")) {
            m_positionals.append(argument);
        } else if (flags.contains(argument)) {
            m_flags.insert(argument);
        } else if (valueOptions.contains(argument)) {
            if (i + 1 >= arguments.size())
                throw HException("option " + argument.toUtf8() + " needs a value");
            m_values.insert(argument, arguments.at(++i));
        } else {
            throw HException("unknown option " + argument.toUtf8());
        }
    }
}

bool CommandLine::has(const QString &option) const
{
    return m_flags.contains(option) || m_values.contains(option);
}

QString CommandLine::value(const QString &option) const
{
    return m_values.value(option);
}

void CommandLine::requirePositionals(int count, const QString &synopsis) const
{
    if (m_positionals.size() != count)
        throw HException("usage: pkgarchive " + synopsis.toUtf8());
}

quint32 CommandLine::offset() const
{
    if (!m_values.contains(QStringLiteral("--offset")))
        return 0;
    QString text = value(QStringLiteral("--offset"));
    if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        text = text.mid(2);
    bool ok = false;
    const qulonglong offset = text.toULongLong(&ok, 16);
    if (!ok || text.isEmpty() || offset > 0xFFFFFFFFull)
        throw HException("invalid offset " + value(QStringLiteral("--offset")).toUtf8()
                         + " (a hexadecimal number below 100000000 is expected)");
    return quint32(offset);
}
