#pragma once

#include "app/queries/InstallQuestions.h"

// The answers of a run nobody can answer (no display, or no face at all): a question
// takes Cancel where offered, else its default button, a request to find something
// gives up, and each says on standard error what it would have asked. Where a question
// names a failure for this case, the run ends with it instead.
class UnattendedQuestions : public InstallQuestions
{
public:
    bool canAnswer() const override { return false; }
    int ask(const Question &question) override;
    Location locate(const QString &path) override;
    QString chooseFolder(const QString &caption, const QString &startFolder) override;

    // Rich text as plain text: "<p>" and "<br>" become line breaks, other tags go,
    // the usual entities are decoded.
    static QString plainText(const QString &richText);
    // Writes heading and message (both already expanded) as plain text to standard
    // error, the heading on its own line.
    static void report(const QString &heading, const QString &message);
};
