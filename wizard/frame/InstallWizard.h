#pragma once

#include <QMap>
#include <QPointer>
#include <QWidget>

class InstallWizardDialog;
class QStackedWidget;

// The frame that holds the pages. It decides nothing about their order: it only
// reports Back, Next, Help and Cancel with the current page, and the application answers.
class InstallWizard : public QWidget
{
    Q_OBJECT
public:
    explicit InstallWizard(QWidget *parent = nullptr);

    virtual int addDialog(InstallWizardDialog *dialog, int id);
    virtual int dialogId(InstallWizardDialog *dialog) const;
    virtual InstallWizardDialog *currentDialog() const;
    virtual InstallWizardDialog *dialog(int id) const;

signals:
    void cancelClicked(InstallWizardDialog *page);
    void backClicked(InstallWizardDialog *page);
    void nextClicked(InstallWizardDialog *page);
    void helpClicked(InstallWizardDialog *page);
    void aboutToShow(InstallWizardDialog *page);

public slots:
    virtual void showDialog(InstallWizardDialog *dialog);
    virtual void showDialog(int id);
    virtual void updateDialog();
    void onCancelClicked();
    void onBackClicked();
    void onNextClicked();
    void onHelpClicked();
    void onAboutToShow(QWidget *widget);

protected:
    QStackedWidget *pageStack() const { return m_pageStack; }

private:
    QStackedWidget *m_pageStack;
    QMap<int, QPointer<InstallWizardDialog>> m_pages;
    QPointer<InstallWizardDialog> m_current;
    int m_nextAutomaticId = -2;
};
