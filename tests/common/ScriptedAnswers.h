#pragma once

// Answers the installer's modal question boxes from the event loop, one scripted answer
// per box in turn, remembering each box's heading and message. A step may first change
// the world (for example make a locked file removable) before its button is pressed.

#include "wizard/frame/InstallCheckMessageBox.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QStringList>
#include <QTimer>

#include <functional>

class ScriptedAnswers : public QObject
{
public:
    struct Answer
    {
        int button;
        std::function<void()> before;
    };

    explicit ScriptedAnswers(const QList<int> &buttons) : ScriptedAnswers(answersOf(buttons)) {}
    explicit ScriptedAnswers(QList<Answer> answers) : m_answers(std::move(answers))
    {
        // Polled from the box's own event loop: the box is up whenever this runs.
        m_poll.setInterval(0);
        connect(&m_poll, &QTimer::timeout, this, &ScriptedAnswers::answerIfShown);
        m_poll.start();
    }

    int asked() const { return int(m_headings.size()); }
    const QStringList &headings() const { return m_headings; }
    const QStringList &messages() const { return m_messages; }

private:
    static QList<Answer> answersOf(const QList<int> &buttons)
    {
        QList<Answer> answers;
        for (const int button : buttons)
            answers.append(Answer{button, {}});
        return answers;
    }

    void answerIfShown()
    {
        auto *box = qobject_cast<InstallCheckMessageBox *>(QApplication::activeModalWidget());
        if (!box || box == m_lastBox)
            return;
        m_lastBox = box;
        // Labels in creation order: logo, heading, message.
        QStringList texts;
        for (const QLabel *label : box->findChildren<QLabel *>())
            if (!label->text().isEmpty())
                texts.append(label->text());
        m_headings.append(texts.value(0));
        m_messages.append(texts.value(1));
        if (m_answers.isEmpty()) {
            box->done(InstallCheckMessageBox::Cancel);
            return;
        }
        const Answer answer = m_answers.takeFirst();
        if (answer.before)
            answer.before();
        if (QPushButton *button = box->button(answer.button))
            button->click();
        else
            box->done(0);
    }

    QList<Answer> m_answers;
    QStringList m_headings;
    QStringList m_messages;
    QPointer<InstallCheckMessageBox> m_lastBox;
    QTimer m_poll;
};
