#pragma once

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
        Yes = 1,
        YesToAll = 2,
        Ok = 4,
        Retry = 8,
        No = 16,
        NoToAll = 32,
        Ignore = 64,
        IgnoreAll = 128,
        Cancel = 256
    };
    // Yes, Yes to All, No, No to All and Cancel: the set of the "to All" questions.
    static constexpr int YesNoAllCancel = Yes | YesToAll | No | NoToAll | Cancel;

    InstallCheckMessageBox(const QString &heading, const QString &message, int buttons,
                           int defaultButton, QWidget *parent = nullptr);

    // Builds the box, runs it modally and returns the id of the button pressed. In an
    // unattended run nothing is shown: the texts go to standard error and the answer is
    // Cancel when offered, else the default button.
    static int exec(const QString &heading, const QString &message, int buttons,
                    int defaultButton);
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
