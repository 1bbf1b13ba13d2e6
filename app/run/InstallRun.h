#pragma once

#include <QList>
#include <QObject>
#include <QStringList>

class InstallCommandLine;
class InstallConfigurationList;
class InstallMedia;

// One installer run as the engine sees it: the mode, the run flags, the result, the
// media, the configuration list and the commands to run when the run ends. Items,
// records and media ask it through InstallRun::instance(); the wizard's application
// derives from it and adds the window and the page flow.
class InstallRun : public QObject
{
    Q_OBJECT
public:
    enum Mode { Minimal = 0, Typical = 1, Full = 2, Custom = 3, Modify = 4, Repair = 5, Remove = 6, Upgrade = 7 };
    Q_ENUM(Mode)

    // NoUpgrade: an earlier installation in the destination is not looked for.
    // UserModeInstall: everything goes below the user's home; nothing needs root.
    enum RunFlag { Quiet = 1, AcceptLicense = 2, NoUpgrade = 4, UserModeInstall = 8 };

    explicit InstallRun(InstallConfigurationList *configurationList);
    ~InstallRun() override;

    // The run of this process, or none (a tool, a test without one).
    static InstallRun *instance();

    // Takes the flags, variables, mode and media from the command line. A command line
    // in error, user mode asked for by root, or a run without root that needs it are
    // reported and end the process with status 1 before anything is shown or written.
    void setUp(const InstallCommandLine &commandLine);
    // Whether the installer insists on the real user id 0; the start-up sets it, user
    // mode clears it.
    static bool isRootRequired();
    static void setRootRequired(bool required);

    Mode mode() const { return m_mode; }
    int result() const { return m_result; }
    void setResult(int result) { m_result = result; }
    quint32 runFlags() const { return m_runFlags; }
    // True while the running installer installs for the user alone.
    static bool isUserModeInstall();
    InstallConfigurationList *configurationList() const { return m_configurationList; }
    // Throws InstallException "No installation media" when there is none.
    InstallMedia *media() const;

    // command: a system tool's name and its arguments.
    void addPostInstallCommand(const QStringList &command, bool unique);
    // A quiet run waits for them: when it ends, the databases are up to date.
    void runPostInstallCommands();
    const QList<QStringList> &postInstallCommands() const { return m_postInstallCommands; }

signals:
    void modeChanged(InstallRun::Mode mode);

public slots:
    void setMode(InstallRun::Mode mode);

protected:
    void setRunFlags(quint32 flags) { m_runFlags = flags; }
    void setMedia(InstallMedia *media); // takes ownership

private:
    InstallConfigurationList *m_configurationList;
    InstallMedia *m_media = nullptr;
    Mode m_mode = Typical;
    qint32 m_result = 0;
    QList<QStringList> m_postInstallCommands;
    quint32 m_runFlags = 0;
};
