#pragma once

#include "app/run/InstallRun.h"

#include <QString>

class InstallConfigurationItem;

// The installed-state record "IConf.xml": the three folders of an installation and the
// state of every configuration item, written after a run and read back by maintenance
// and by the search for an earlier installation.

// Writes the record of the application's configuration tree to path, whole or not at
// all. False when there is no tree, the tree could not be saved or the file could not
// be written; in the last case `failure` receives the system's reason.
bool saveInstalledConfiguration(const QString &path, QString *failure = nullptr);
bool saveInstalledConfiguration(InstallConfigurationItem &root, const QString &path,
                                QString *failure = nullptr);

// Reads a record into the variables and the application's tree. False for a missing,
// unreadable or malformed record, one whose shape does not match the tree, and one that
// is not the record of `destination` (its dest_dir names another folder, or one of its
// file names would leave its folder): whoever could write the record must not decide
// what root removes, nor where it installs. The source folder is taken from the record
// only in modes Modify and Repair, where the installation is to be repeated from where
// it came.
bool loadInstalledConfiguration(const QString &path, const QString &destination);
bool loadInstalledConfiguration(InstallConfigurationItem &root, const QString &path,
                                InstallRun::Mode mode, const QString &destination);
