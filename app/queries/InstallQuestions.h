#pragma once

#include <QString>

// The one way the engine reaches a person: every question of a run, the error report
// and the requests to find a missing file or folder go through the process's current
// InstallQuestions. The wizard's shows boxes and dialogs; the unattended one answers
// at once and says on standard error what it would have asked. Until start-up installs
// another, the unattended one answers, so nothing can wait for an answer nobody gives.
class InstallQuestions
{
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

    struct Question
    {
        QString heading; // may hold variables
        QString message; // rich text; may hold variables
        int buttons = Ok;
        int defaultButton = Ok;
        // Where no answer is right when nobody can give one (an item failed: going on
        // would hide it), an unattended run ends with this failure; empty: it takes
        // Cancel where offered, else the default button.
        QString failureWhenUnanswered;
    };

    // What the person said to a request to find something missing.
    struct Location
    {
        bool located = false;
        // A file's path as the person gave it, also when they gave up after typing
        // one; empty for the folder kinds, whose answer is already in SrcDir or DestDir.
        QString file;
    };

    InstallQuestions() = default;
    virtual ~InstallQuestions();
    InstallQuestions(const InstallQuestions &) = delete;
    InstallQuestions &operator=(const InstallQuestions &) = delete;

    // False when nobody can answer (a run without a display).
    virtual bool canAnswer() const = 0;
    // The button chosen.
    virtual int ask(const Question &question) = 0;
    int ask(const QString &heading, const QString &message, int buttons, int defaultButton);
    // Asks where the missing `path` (unexpanded) is.
    virtual Location locate(const QString &path) = 0;
    // A folder the person chose, empty when none; `caption` may end in a line break.
    virtual QString chooseFolder(const QString &caption, const QString &startFolder) = 0;

    // The "Installation Error" box with its OK button; the caller then ends the run.
    void reportError(const QString &text);

    static InstallQuestions &current();
    // Process-wide; the caller keeps `questions` alive while installed. Null puts the
    // unattended answers back. Returns the ones installed before.
    static InstallQuestions *install(InstallQuestions *questions);
};
