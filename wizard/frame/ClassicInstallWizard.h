#pragma once

#include "wizard/frame/InstallWizard.h"

#include <QPixmap>

class QLabel;
class InstallPushButton;

// The installer's only window: a white header with the page title and the logo, the
// page stack and the Back, Next and Cancel buttons.
class ClassicInstallWizard : public InstallWizard
{
    Q_OBJECT
public:
    // A null logo means the installer's built-in one.
    explicit ClassicInstallWizard(QWidget *parent = nullptr, const QPixmap &logo = QPixmap());

    using InstallWizard::showDialog;
    void showDialog(InstallWizardDialog *dialog) override;
    void updateDialog() override;

    QLabel *titleLabel() const { return m_titleLabel; }
    InstallPushButton *backButton() const { return m_backButton; }
    InstallPushButton *nextButton() const { return m_nextButton; }
    InstallPushButton *cancelButton() const { return m_cancelButton; }

protected:
    // Closing the window is refused and asks the application as Cancel does.
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool focusNextPrevChild(bool next) override;

private:
    // Makes the most useful enabled button the default one and returns it.
    InstallPushButton *chooseDefaultButton();

    QLabel *m_titleLabel;
    InstallPushButton *m_backButton;
    InstallPushButton *m_nextButton;
    InstallPushButton *m_cancelButton;
};
