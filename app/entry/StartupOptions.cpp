#include "app/entry/StartupOptions.h"

#include <QRegularExpression>

StartupOptions StartupOptions::scan(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return scan(arguments);
}

StartupOptions StartupOptions::scan(const QStringList &arguments)
{
    StartupOptions options;
    const int count = int(arguments.size());
    for (int i = 1; i < count; ++i) {
        const QString &argument = arguments.at(i);
        // A value-taking option consumes the next argument whatever it looks like,
        // so "--data-file --help" names a file called "--help".
        auto takeValue = [&](bool &present, QString &value) {
            if (i + 1 >= count) {
                options.refuse(Outcome::ArgumentExpected, QStringLiteral("argument expected for ") + argument);
                return false;
            }
            present = true;
            value = arguments.at(++i);
            return true;
        };

        if (argument == QLatin1String("--copy-files-to")) {
            if (!takeValue(options.m_copyFiles, options.m_copyFilesTo))
                return options;
        } else if (argument == QLatin1String("--data-file")) {
            if (!takeValue(options.m_hasDataFile, options.m_dataFile))
                return options;
        } else if (argument == QLatin1String("--data-offset")) {
            if (!takeValue(options.m_hasDataOffset, options.m_dataOffsetText))
                return options;
        } else if (argument == QLatin1String("--help")) {
            options.m_outcome = Outcome::Help;
            return options;
        } else if (argument == QLatin1String("--hide-progress")) {
            options.m_hideProgress = true;
        } else if (argument == QLatin1String("--verbose")) {
            options.m_verbose = true;
        } else if (argument == QLatin1String("--accept-license")) {
            options.m_acceptLicense = true;
        }
    }
    options.checkValues();
    return options;
}

void StartupOptions::refuse(Outcome outcome, const QString &problem)
{
    m_outcome = outcome;
    m_problem = problem;
}

// A script's typo must stop the run, not install from the wrong place in the file.
void StartupOptions::checkValues()
{
    static const QRegularExpression hexadecimal(QStringLiteral("^(0[xX])?[0-9A-Fa-f]{1,8}$"));
    if (m_hasDataFile && m_dataFile.isEmpty())
        refuse(Outcome::InvalidValue, QStringLiteral("--data-file needs a file name"));
    else if (m_hasDataOffset && !hexadecimal.match(m_dataOffsetText).hasMatch())
        refuse(Outcome::InvalidValue, QStringLiteral("Invalid --data-offset value: '") + m_dataOffsetText
                                          + QLatin1Char('\''));
}

QByteArray StartupOptions::helpText()
{
    return "Options:\n"
           "  --accept-license      accept license agreement\n"
           "  --copy-files-to dir   copy all installation files to dir\n"
           "  --destination dir     set installation destination directory to dir\n"
           "  --no-upgrade          do a clean installation rather than an upgrade\n"
           "  --silent              carry out silent installation\n"
           // Everything else the program reads, so that nobody has to guess it.
           "  --quiet, -s           the same as --silent\n"
           "  --user-mode-install   install for the running user only, below the home folder, without root\n"
           "  --data-file file      install from the package archive file\n"
           "  --data-offset hex     where the archive starts inside the data file\n"
           "  --remove              remove an existing installation\n"
           "  --repair              repair an existing installation\n"
           "  --modify              change which components an existing installation has\n"
           "  --set name=value      set an installer variable\n"
           "  --hide-progress       no progress bar in copy-files mode\n"
           "  --verbose             print each copied file in copy-files mode\n"
           "  --help                print this summary\n";
}

quint32 StartupOptions::dataOffset() const
{
    if (!m_hasDataOffset)
        return 0;
    return m_dataOffsetText.toUInt(nullptr, 16); // "0x" is read as part of the number
}
