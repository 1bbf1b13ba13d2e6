#pragma once

#include "ToolCommand.h"

#include <QStringList>
#include <memory>
#include <vector>

// Dispatches the command line to one of the sub-commands and turns every failure
// into one line on standard error with exit status 1.
class PackageTool
{
public:
    PackageTool();
    ~PackageTool();

    int run(const QStringList &arguments);

private:
    ToolCommand *command(const QString &name) const;
    QByteArray usage() const;

    std::vector<std::unique_ptr<ToolCommand>> m_commands;
};
