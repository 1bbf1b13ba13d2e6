#pragma once

#include "ToolCommand.h"

class AppendCommand : public ToolCommand
{
public:
    QString name() const override;
    QString synopsis() const override;
    QString description() const override;
    int run(const QStringList &arguments) override;
};
