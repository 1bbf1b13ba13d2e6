#pragma once

#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

// The arguments of one command: positional words, flags and options with a value.
// Anything not declared is refused with a one-line HException.
class CommandLine
{
public:
    CommandLine(const QStringList &arguments, const QStringList &flags, const QStringList &valueOptions);

    const QStringList &positionals() const { return m_positionals; }
    bool has(const QString &option) const;
    QString value(const QString &option) const;
    // Throws unless exactly `count` positional words were given.
    void requirePositionals(int count, const QString &synopsis) const;

    // "--offset": hexadecimal, optional "0x"; 0 when absent.
    quint32 offset() const;

private:
    QStringList m_positionals;
    QSet<QString> m_flags;
    QMap<QString, QString> m_values;
};
