#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// What the installer's own command line asks for. Reading it changes nothing: the
// application applies the result, so that a bad option can be reported before any
// variable or mode is touched.
class InstallCommandLine
{
public:
    enum MaintenanceRequest { NoRequest, ModifyRequest, RemoveRequest, RepairRequest };

    // arguments: the whole command line, program name first.
    explicit InstallCommandLine(const QStringList &arguments);

    bool isValid() const { return m_error.isEmpty(); }
    // "Unknown command line option: '<argument>'" for the first argument not understood.
    const QString &error() const { return m_error; }

    const QString &programName() const { return m_programName; }
    bool programIsUninstaller() const;
    quint32 runFlags() const { return m_runFlags; }
    bool isQuiet() const;
    bool modifyRequested() const { return m_modify; }
    bool removeRequested() const { return m_remove; }
    bool repairRequested() const { return m_repair; }
    // A variable the command line sets; path entries are created as path variables.
    struct Assignment
    {
        QString name;
        QString value;
        bool isPath = false;
    };
    // In command-line order: "--set", "--destination" and "--user-mode-install" (which
    // moves OSAppDir below the user's home folder).
    const QList<Assignment> &assignments() const { return m_assignments; }
    const QString &dataFile() const { return m_dataFile; }
    // The "--data-offset" text read as hexadecimal; 0 when absent or not a number.
    quint32 dataOffset() const;
    bool userModeInstall() const { return m_userMode; }

private:
    void readOption(const QString &argument, QStringList &rest);

    QString m_programName;
    QString m_error;
    quint32 m_runFlags = 0;
    bool m_modify = false;
    bool m_remove = false;
    bool m_repair = false;
    bool m_userMode = false;
    QList<Assignment> m_assignments;
    QString m_dataFile;
    QString m_dataOffset;
};
