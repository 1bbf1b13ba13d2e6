#include "QuestionScript.h"

#include "wizard/frame/InstallCheckMessageBox.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>

namespace {

constexpr int everyButton[] = {
    InstallCheckMessageBox::Yes,   InstallCheckMessageBox::YesToAll,
    InstallCheckMessageBox::Ok,    InstallCheckMessageBox::Retry,
    InstallCheckMessageBox::No,    InstallCheckMessageBox::NoToAll,
    InstallCheckMessageBox::Ignore, InstallCheckMessageBox::IgnoreAll,
    InstallCheckMessageBox::Cancel,
};

} // namespace

QuestionScript::QuestionScript(const QList<int> &answers) : m_answers(answers)
{
    m_poll.setInterval(0);
    connect(&m_poll, &QTimer::timeout, this, &QuestionScript::answerIfShown);
    m_poll.start();
}

void QuestionScript::answerIfShown()
{
    auto *box = qobject_cast<InstallCheckMessageBox *>(QApplication::activeModalWidget());
    if (!box || !box->isVisible() || box->property("answeredByScript").toBool())
        return;
    box->setProperty("answeredByScript", true);

    Question question;
    // The labels in creation order: the logo (no text), the heading, the message.
    QStringList texts;
    for (const QLabel *label : box->findChildren<QLabel *>()) {
        if (!label->text().isEmpty())
            texts.append(label->text());
    }
    question.heading = texts.value(0);
    question.message = texts.value(1);
    for (const int id : everyButton) {
        if (const QPushButton *button = box->button(id)) {
            question.buttons |= id;
            if (button->isDefault())
                question.defaultButton = id;
        }
    }
    m_questions.append(question);

    const int answer = m_answers.isEmpty() ? int(InstallCheckMessageBox::Cancel)
                                           : m_answers.takeFirst();
    if (QPushButton *button = box->button(answer))
        button->click();
    else
        box->done(0);
}
