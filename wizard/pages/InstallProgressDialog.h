#pragma once

#include "wizard/frame/InstallWizardDialog.h"

#include <QElapsedTimer>

class InstallConfigurationItem;
class InstallConfigurationList;
class QLabel;
class StudioProgressBar;

// The page the runs drive: the item being processed, a bar for the item and a bar
// for the whole run. It follows the configuration list's starting, finished and
// skipped signals.
class InstallProgressDialog : public InstallWizardDialog
{
    Q_OBJECT
public:
    // The kind of run shown; other values show an empty title and a zero total.
    enum Phase { Installing = 0, Removing = 1, Repairing = 3, Upgrading = 4, Checking = 5, CheckingData = 6 };

    InstallProgressDialog(InstallApplication *application, const QString &title,
                          const QString &subtitle);

    int phase() const { return m_phase; }
    int completed() const { return m_completed; }
    bool currentProgressShown() const { return m_showCurrent; }
    QString configurationPrefix() const { return m_prefix; }

    QLabel *itemLabel() const { return m_itemLabel; }
    QLabel *taskLabel() const { return m_taskLabel; }
    StudioProgressBar *currentBar() const { return m_currentBar; }
    StudioProgressBar *totalBar() const { return m_totalBar; }

    // Follows this root's signals instead of the application's configuration list.
    void followConfigurationList(InstallConfigurationList *root);

public slots:
    void starting(InstallConfigurationItem *item);
    void finished(InstallConfigurationItem *item);
    void skipped(int count);
    void setConfigurationPrefix(const QString &prefix);
    void setTask(const QString &task);
    void setTaskTotalSteps(int steps);
    void setTaskProgress(int progress);
    void setMode(int phase);
    void update();
    void showCurrentProgress(bool show);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void disconnectItem(InstallConfigurationItem *item);

    int m_phase = Installing;
    int m_completed = 0;
    bool m_showCurrent = true;
    QString m_prefix;
    InstallConfigurationList *m_root = nullptr;
    QLabel *m_itemLabel;
    QLabel *m_taskLabel;
    QLabel *m_currentLabel;
    StudioProgressBar *m_currentBar;
    QLabel *m_totalLabel;
    StudioProgressBar *m_totalBar;
    QElapsedTimer m_sinceEvents; // since setTask() last let the events through
};
