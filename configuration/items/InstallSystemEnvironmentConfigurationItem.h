#pragma once

#include "configuration/items/InstallEnvironmentConfigurationItem.h"

// An environment variable of the running installer's own process, which every command
// it starts afterwards (the refresh commands, the launched product) inherits.
class InstallSystemEnvironmentConfigurationItem : public InstallEnvironmentConfigurationItem
{
    Q_OBJECT
public:
    using InstallEnvironmentConfigurationItem::InstallEnvironmentConfigurationItem;

    QString readValue() const override;
    bool writeValue(const QString &value) override;
};
