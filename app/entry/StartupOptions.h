#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The seven options the entry point reads before it decides what the process does.
// Every other argument is passed over here; the installer application reads the
// whole command line again itself.
class StartupOptions
{
public:
    enum class Outcome {
        Proceed,          // carry on with the chosen mode
        Help,             // "--help" was met: show the summary and stop
        ArgumentExpected, // a value-taking option was the last argument
        InvalidValue      // an option's value cannot be used: see problem()
    };

    // Scans the arguments after the program name (arguments[0]) from left to right.
    static StartupOptions scan(const QStringList &arguments);
    static StartupOptions scan(int argc, char **argv);

    // The option summary "--help" writes to standard error.
    static QByteArray helpText();

    Outcome outcome() const { return m_outcome; }
    // What the user is told when the outcome is not Proceed or Help.
    const QString &problem() const { return m_problem; }
    bool copyFiles() const { return m_copyFiles; }
    const QString &copyFilesTo() const { return m_copyFilesTo; }
    bool hasDataFile() const { return m_hasDataFile; }
    const QString &dataFile() const { return m_dataFile; }
    bool hasDataOffset() const { return m_hasDataOffset; }
    const QString &dataOffsetText() const { return m_dataOffsetText; }
    // The offset read as an unsigned 32-bit hexadecimal number (checked by scan());
    // 0 when absent.
    quint32 dataOffset() const;
    bool hideProgress() const { return m_hideProgress; }
    bool verbose() const { return m_verbose; }
    bool acceptLicense() const { return m_acceptLicense; }

private:
    void refuse(Outcome outcome, const QString &problem);
    void checkValues();

    Outcome m_outcome = Outcome::Proceed;
    QString m_problem;
    bool m_copyFiles = false;
    QString m_copyFilesTo;
    bool m_hasDataFile = false;
    QString m_dataFile;
    bool m_hasDataOffset = false;
    QString m_dataOffsetText;
    bool m_hideProgress = false;
    bool m_verbose = false;
    bool m_acceptLicense = false;
};
