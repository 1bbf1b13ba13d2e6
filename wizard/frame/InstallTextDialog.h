#pragma once

#include "wizard/frame/InstallWizardDialog.h"

class QLabel;

// A page showing one word-wrapped text. The text given at construction is expanded
// once; setText shows its argument as it is.
class InstallTextDialog : public InstallWizardDialog
{
    Q_OBJECT
public:
    InstallTextDialog(InstallApplication *application, const QString &title,
                      const QString &subtitle, const QString &text, int flags = 0,
                      const QString &nextLabel = QStringLiteral("&Next>"),
                      const QString &backLabel = QStringLiteral("<&Back"),
                      const QString &helpLabel = QStringLiteral("&Help"),
                      const QString &cancelLabel = QStringLiteral("&Cancel"));

    void setText(const QString &text);
    QString text() const;

protected:
    QLabel *textLabel() const { return m_textLabel; }

private:
    QLabel *m_textLabel;
};
