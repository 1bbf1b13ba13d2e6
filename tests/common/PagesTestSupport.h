#pragma once

// Helpers for the widget tests of the wizard pages: an application that only carries
// the mode and the configuration tree, and an answerer for the modal question box.

#include "app/application/InstallApplication.h"
#include "configuration/model/InstallConfigurationItem.h"
#include "wizard/frame/InstallCheckMessageBox.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QTimer>

// The pages only read the mode and the configuration list, and follow modeChanged.
class PagesTestApplication : public InstallApplication
{
public:
    explicit PagesTestApplication(InstallConfigurationList *list)
        : InstallApplication(nullptr, nullptr, list)
    {
    }
    int pageState() override { return 0; }
};

// Waits, from the event loop, for the question box to come up, remembers what it says
// and presses one of its buttons. Arm it before the action that asks.
class QuestionAnswerer : public QObject
{
public:
    explicit QuestionAnswerer(int button) : m_button(button)
    {
        m_poll.setInterval(0);
        connect(&m_poll, &QTimer::timeout, this, &QuestionAnswerer::answerIfShown);
        m_poll.start();
    }

    bool asked() const { return m_asked; }
    // Every label of the box, in creation order: the logo's empty text, the heading, the message.
    const QStringList &texts() const { return m_texts; }

private:
    void answerIfShown()
    {
        auto *box = qobject_cast<InstallCheckMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        m_poll.stop();
        m_asked = true;
        for (const QLabel *label : box->findChildren<QLabel *>())
            if (!label->text().isEmpty())
                m_texts.append(label->text());
        if (QPushButton *button = box->button(m_button))
            button->click();
        else
            box->done(0);
    }

    int m_button;
    bool m_asked = false;
    QStringList m_texts;
    QTimer m_poll;
};
