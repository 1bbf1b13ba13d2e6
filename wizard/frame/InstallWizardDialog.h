#pragma once

#include <QString>
#include <QWidget>

class InstallApplication;
class QVBoxLayout;

// Base of every wizard page: the header texts, the button labels and the button flags
// the frame shows while the page is current.
class InstallWizardDialog : public QWidget
{
    Q_OBJECT
public:
    enum Flag { HelpFlag = 1, BackDisabled = 2, NextDisabled = 4, CancelDisabled = 8 };

    InstallWizardDialog(InstallApplication *application, const QString &title,
                        const QString &subtitle, int flags = 0,
                        const QString &nextLabel = QStringLiteral("&Next>"),
                        const QString &backLabel = QStringLiteral("<&Back"),
                        const QString &helpLabel = QStringLiteral("&Help"),
                        const QString &cancelLabel = QStringLiteral("&Cancel"));

    QString title() const { return m_title; }
    QString subtitle() const { return m_subtitle; }
    QString helpLabel() const { return m_helpLabel; }
    QString backLabel() const { return m_backLabel; }
    QString nextLabel() const { return m_nextLabel; }
    QString cancelLabel() const { return m_cancelLabel; }
    int flags() const { return m_flags; }
    InstallApplication *application() const { return m_application; }

    void setTitle(const QString &title, const QString &subtitle = QString());
    void setFlags(int flags);
    void setNextLabel(const QString &label) { m_nextLabel = label; }

signals:
    void stateChanged(InstallWizardDialog *page);

protected:
    QVBoxLayout *pageLayout() const { return m_layout; }

private:
    QVBoxLayout *m_layout;
    QString m_title;
    QString m_subtitle;
    QString m_helpLabel;
    QString m_backLabel;
    QString m_nextLabel;
    QString m_cancelLabel;
    int m_flags;
    InstallApplication *m_application;
};
