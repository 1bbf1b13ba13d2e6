#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>

class InstallWizard;
class InstallWizardDialog;
class InstallConfigurationList;
class InstallMedia;
class QWidget;

// One installer run: the mode, the run flags, the media, the page history and the
// commands to run when a result page is shown. Items and pages reach it through
// InstallApplication::instance().
class InstallApplication : public QObject
{
    Q_OBJECT
public:
    enum Mode { Minimal = 0, Typical = 1, Full = 2, Custom = 3, Modify = 4, Repair = 5, Remove = 6, Upgrade = 7 };
    Q_ENUM(Mode)

    // NoUpgrade: an earlier installation in the destination is not looked for.
    // UserModeInstall: everything goes below the user's home; nothing needs root.
    enum RunFlag { Quiet = 1, AcceptLicense = 2, NoUpgrade = 4, UserModeInstall = 8 };

    InstallApplication(QWidget *mainWindow, InstallWizard *wizard,
                       InstallConfigurationList *configurationList);
    ~InstallApplication() override;

    static InstallApplication *instance();

    Mode mode() const { return m_mode; }
    int result() const { return m_result; }
    void setResult(int result) { m_result = result; }
    quint32 runFlags() const { return m_runFlags; }
    // True while the running installer installs for the user alone.
    static bool isUserModeInstall();
    InstallWizard *wizard() const;
    QWidget *mainWindow() const;
    InstallConfigurationList *configurationList() const { return m_configurationList; }
    // Throws InstallException "No installation media" when there is none.
    InstallMedia *media() const;

    // command: a system tool's name and its arguments.
    void addPostInstallCommand(const QStringList &command, bool unique);
    // A quiet run waits for them: when it ends, the databases are up to date.
    void runPostInstallCommands();
    const QList<QStringList> &postInstallCommands() const { return m_postInstallCommands; }

    virtual void start();
    virtual int pageState() = 0;

signals:
    void modeChanged(InstallApplication::Mode mode);

public slots:
    void setMode(InstallApplication::Mode mode);
    virtual void quit();
    virtual void onHelpClicked(InstallWizardDialog *page);
    virtual void onBackClicked(InstallWizardDialog *page);
    virtual void onNextClicked(InstallWizardDialog *page);
    virtual void onCancelClicked(InstallWizardDialog *page);
    void onCancelClicked();
    void onAboutToShow(InstallWizardDialog *page);

protected:
    void setRunFlags(quint32 flags) { m_runFlags = flags; }
    void setMedia(InstallMedia *media); // takes ownership
    QList<InstallWizardDialog *> &pageHistory() { return m_pageHistory; }
    // The wizard calls, kept apart so that the base stays free of widget code.
    InstallWizardDialog *currentPage() const;
    void showPreviousPage(InstallWizardDialog *page);

private:
    // Guarded: whoever tears the window down first, the destructor must not free it twice.
    QPointer<QWidget> m_mainWindow;
    QPointer<InstallWizard> m_wizard;
    InstallConfigurationList *m_configurationList;
    InstallMedia *m_media = nullptr;
    QList<InstallWizardDialog *> m_pageHistory;
    Mode m_mode = Typical;
    qint32 m_result = 0;
    QList<QStringList> m_postInstallCommands;
    quint32 m_runFlags = 0;
};
