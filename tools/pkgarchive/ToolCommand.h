#pragma once

#include <QString>
#include <QStringList>

// One sub-command of the archive tool. run() throws HException for every failure;
// the tool prints it as one line and exits with status 1.
class ToolCommand
{
public:
    virtual ~ToolCommand();

    virtual QString name() const = 0;
    virtual QString synopsis() const = 0;
    virtual QString description() const = 0;
    // Returns the exit status.
    virtual int run(const QStringList &arguments) = 0;

protected:
    ToolCommand() = default;
};
