#pragma once

// Answers a run of question boxes in turn, from the event loop, and remembers what
// each box asked. Build it before the call that asks; a box that comes up after the
// script is used up is answered with Cancel (or closed) so that a test never hangs.

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

class QuestionScript : public QObject
{
public:
    struct Question
    {
        QString heading;
        QString message;
        int buttons = 0;       // the values of the buttons the box offered
        int defaultButton = 0; // the value of its default button, 0 when none
    };

    explicit QuestionScript(const QList<int> &answers);

    const QList<Question> &questions() const { return m_questions; }
    int unansweredCount() const { return m_answers.size(); }

private:
    void answerIfShown();

    QList<int> m_answers;
    QList<Question> m_questions;
    QTimer m_poll;
};
