#pragma once

#include "app/application/QuillonInstallerApplication.h"

// The product application with its end observed instead of taken, so that one test
// program can run one installer after the other; a test may also point the
// maintenance start at a record of its own.
class ObservedApplication : public QuillonInstallerApplication
{
public:
    using QuillonInstallerApplication::QuillonInstallerApplication;
    using InstallStandardInstallerApplication::page;

    int quitCalls = 0;
    QString recordPath;

    void quit() override { ++quitCalls; }

protected:
    QString maintenanceRecordPath() const override
    {
        return recordPath.isEmpty() ? QuillonInstallerApplication::maintenanceRecordPath() : recordPath;
    }
};
