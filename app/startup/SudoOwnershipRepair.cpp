#include "app/startup/SudoOwnershipRepair.h"

#include <QFile>
#include <QFileInfo>
#include <unistd.h>

namespace {

void changeOwner(const QString &path, uid_t user, gid_t group)
{
    const QByteArray encoded = QFile::encodeName(path);
    [[maybe_unused]] const int ignored = ::chown(encoded.constData(), user, group);
}

} // namespace

namespace SudoOwnershipRepair {

void repair(const QString &configFolder, const QString &company, const QString &product)
{
    if (!qEnvironmentVariableIsSet("SUDO_UID") || !qEnvironmentVariableIsSet("SUDO_GID"))
        return;
    const uid_t user = static_cast<uid_t>(qEnvironmentVariable("SUDO_UID").toULong());
    const gid_t group = static_cast<gid_t>(qEnvironmentVariable("SUDO_GID").toULong());

    // ~/.config made by this run belongs to root; one the user already had stays as is.
    const QFileInfo config(configFolder);
    if (config.exists() && config.ownerId() == 0 && config.groupId() == 0)
        changeOwner(configFolder, user, group);
    const QString companyFolder = configFolder + QLatin1Char('/') + company;
    changeOwner(companyFolder, user, group);
    // The product's name is appended to the company folder's path as it stands.
    changeOwner(companyFolder + product, user, group);
    // The settings file the run really wrote.
    changeOwner(companyFolder + QLatin1Char('/') + product + QStringLiteral(".conf"), user, group);
}

} // namespace SudoOwnershipRepair
