#pragma once

#include <QHash>
#include <QMap>
#include <QRegularExpression>
#include <QString>

// The process-wide table of $(Name) variables. Texts are stored unexpanded and
// expanded at the moment of use, so a later change of DestDir shows in every later
// expansion of $(InstallerDir).
class VariableTable
{
public:
    struct Entry
    {
        QString value;
        qint32 isPath = 0;
    };

    static VariableTable &instance();

    void setVariable(const QString &name, const QString &value);
    void setPathVariable(const QString &name, const QString &value);
    QString variable(const QString &name);
    QString expand(const QString &text) const;
    bool contains(const QString &name) const { return m_entries.contains(name); }

    // Normalises a path value: drops empty and "." segments, resolves ".." against
    // the retained segments, keeps a leading "/".
    static QString normalisePath(const QString &path);

private:
    VariableTable() = default;
    Entry &entry(const QString &name);
    QString substitutedValue(const Entry &entry) const;

    QMap<QString, Entry> m_entries; // ordered by name, as expansion requires
    QHash<QString, QRegularExpression> m_references; // "$(name)" pattern of every entry
};

// The free functions every caller uses.
void setVariable(const QString &name, const QString &value);
void setPathVariable(const QString &name, const QString &value);
QString variable(const QString &name);
QString expand(const QString &text);
QString escapeRegExp(const QString &text);
