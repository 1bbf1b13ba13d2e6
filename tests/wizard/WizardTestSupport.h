#pragma once

// Helpers for the wizard's widget tests: a minimal application, a driver that acts on
// the next modal window from inside its event loop, and a capture of standard error.

#include "app/application/InstallApplication.h"

#include <QApplication>
#include <QByteArray>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <unistd.h>

// The pages only need the mode, the wizard and the configuration list.
class WizardTestApplication : public InstallApplication
{
public:
    WizardTestApplication(InstallWizard *wizard, InstallConfigurationList *list)
        : InstallApplication(nullptr, wizard, list)
    {
    }
    int pageState() override { return 0; }
};

// Runs the action once on the next modal window; arm it before the call that opens one.
// It gives up after a few seconds, so a window that never comes fails instead of hanging.
class ModalDriver : public QObject
{
public:
    explicit ModalDriver(std::function<void(QWidget *)> action, QWidget *ignored = nullptr)
        : m_action(std::move(action)), m_ignored(ignored)
    {
        m_poll.setInterval(5);
        connect(&m_poll, &QTimer::timeout, this, &ModalDriver::poll);
        m_poll.start();
    }

    bool acted() const { return m_acted; }

private:
    void poll()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || modal == m_ignored) {
            if (++m_polls > 1000)
                m_poll.stop();
            return;
        }
        m_poll.stop();
        m_acted = true;
        m_action(modal);
    }

    std::function<void(QWidget *)> m_action;
    QPointer<QWidget> m_ignored;
    QTimer m_poll;
    int m_polls = 0;
    bool m_acted = false;
};

// Sends everything written to standard error into a file until text() is called.
class StderrCapture
{
public:
    explicit StderrCapture(const QString &fileName) : m_fileName(fileName)
    {
        std::fflush(stderr);
        m_saved = dup(STDERR_FILENO);
        if (!std::freopen(fileName.toLocal8Bit().constData(), "w", stderr))
            restore();
    }
    ~StderrCapture() { restore(); }

    QByteArray text()
    {
        restore();
        QFile file(m_fileName);
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }

private:
    void restore()
    {
        if (m_saved < 0)
            return;
        std::fflush(stderr);
        dup2(m_saved, STDERR_FILENO);
        close(m_saved);
        m_saved = -1;
    }

    QString m_fileName;
    int m_saved = -1;
};

inline QPushButton *buttonWithText(QWidget *window, const QString &text)
{
    for (QPushButton *button : window->findChildren<QPushButton *>())
        if (button->text() == text)
            return button;
    return nullptr;
}

// The texts of the window's labels that are not empty, in creation order.
inline QStringList labelTexts(const QWidget &window)
{
    QStringList texts;
    for (const QLabel *label : window.findChildren<QLabel *>())
        if (!label->text().isEmpty())
            texts << label->text();
    return texts;
}
