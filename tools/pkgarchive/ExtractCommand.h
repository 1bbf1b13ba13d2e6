#pragma once

#include "ToolCommand.h"

class ExtractCommand : public ToolCommand
{
public:
    QString name() const override;
    QString synopsis() const override;
    QString description() const override;
    int run(const QStringList &arguments) override;
};
