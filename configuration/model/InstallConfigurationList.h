#pragma once

#include "configuration/model/InstallConfigurationItem.h"

// The root of the configuration tree. Items announce their own start and end through
// the root, so the progress page needs to listen to one object only.
class InstallConfigurationList : public InstallConfigurationItem
{
    Q_OBJECT
public:
    InstallConfigurationList();

signals:
    void starting(InstallConfigurationItem *item);
    void finished(InstallConfigurationItem *item);
    void skipped(int count);
};
