#pragma once

#include "app/queries/InstallQuestions.h"

// The questions of a run somebody watches: the installer's question box over the
// wizard, the find-file dialog and the system's folder chooser.
class WizardQuestions : public InstallQuestions
{
public:
    bool canAnswer() const override { return true; }
    int ask(const Question &question) override;
    Location locate(const QString &path) override;
    QString chooseFolder(const QString &caption, const QString &startFolder) override;
};
