#pragma once

#include <QObject>

class InstallApplication;
class InstallWizardDialog;

// In a run nobody can answer, a page that waits for the user would wait forever. The
// guard watches every page the wizard is about to show: anything but the progress page
// has its title and text written to standard error and is cancelled the way the
// Cancel button would, so the run ends with a readable reason.
class UnattendedPageGuard : public QObject
{
    Q_OBJECT
public:
    // progressPageId: the one page that may be shown, since it needs no answer.
    UnattendedPageGuard(InstallApplication *application, int progressPageId);

    // What is written under the page's title: its subtitle and, for a text page, its
    // text, expanded, as rich text.
    static QString message(InstallWizardDialog *page);

public slots:
    void pageAboutToShow(InstallWizardDialog *page);

private slots:
    void cancelCurrentPage();

private:
    InstallApplication *m_application;
    int m_progressPageId;
    bool m_cancelQueued = false;
};
