#pragma once

#include "app/queries/InstallQuestions.h"

#include <QDialog>
#include <QString>

class QPushButton;

// The modal question box every confirmation of the installer goes through. Its
// buttons are bit values; the box answers with the value of the button pressed.
class InstallCheckMessageBox : public QDialog
{
    Q_OBJECT
public:
    enum Button {
        Yes = InstallQuestions::Yes,
        YesToAll = InstallQuestions::YesToAll,
        Ok = InstallQuestions::Ok,
        Retry = InstallQuestions::Retry,
        No = InstallQuestions::No,
        NoToAll = InstallQuestions::NoToAll,
        Ignore = InstallQuestions::Ignore,
        IgnoreAll = InstallQuestions::IgnoreAll,
        Cancel = InstallQuestions::Cancel
    };
    static constexpr int YesNoAllCancel = InstallQuestions::YesNoAllCancel;

    InstallCheckMessageBox(const QString &heading, const QString &message, int buttons,
                           int defaultButton, QWidget *parent = nullptr);

    // Asks through the process's questions (InstallQuestions::current()): in the wizard
    // the box, in an unattended run the unattended answer.
    static int exec(const QString &heading, const QString &message, int buttons,
                    int defaultButton);
    // Builds the box over the wizard, runs it modally and returns the id of the button
    // pressed.
    static int showModal(const QString &heading, const QString &message, int buttons, int defaultButton);
    // The same with the buttons YesNoAllCancel.
    static int exec(const QString &heading, const QString &message, int defaultButton);
    using QDialog::exec;

    // The text of one button value ("&Yes", ...); empty for anything else.
    static QString buttonText(int button);
    // The box's button for a value, or null when the box does not offer it.
    QPushButton *button(int id) const;

public slots:
    void buttonClicked(int id);
    // Escape and the close button answer Cancel, else No, else a lone button.
    void reject() override;

private:
    QList<QPushButton *> m_buttons;
};
