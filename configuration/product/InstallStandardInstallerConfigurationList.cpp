#include "configuration/product/InstallStandardInstallerConfigurationList.h"

#include "configuration/items/InstallFileRemovalConfigurationItem.h"
#include "configuration/items/InstallFilesConfigurationItem.h"
#include "configuration/items/InstallSettingKeyConfigurationItem.h"

namespace {

// The installer copies itself, under the name that starts it in removal mode, and the
// libraries it runs on into the installation.
const InstallFilesConfigurationItem::Entry installerFiles[] = {
    {"$(SrcDir)/Setup", "$(InstallerDir)/uninstall", 0},
    {"$(SrcDir)/libQt3Support.so.4", "$(InstallerDir)/libQt3Support.so.4", 0},
    {"$(SrcDir)/libQtCore.so.4", "$(InstallerDir)/libQtCore.so.4", 0},
    {"$(SrcDir)/libQtGui.so.4", "$(InstallerDir)/libQtGui.so.4", 0},
    {"$(SrcDir)/libQtNetwork.so.4", "$(InstallerDir)/libQtNetwork.so.4", 0},
    {"$(SrcDir)/libQtSql.so.4", "$(InstallerDir)/libQtSql.so.4", 0},
    {"$(SrcDir)/libQtSvg.so.4", "$(InstallerDir)/libQtSvg.so.4", 0},
    {"$(SrcDir)/libQtWebKit.so.4", "$(InstallerDir)/libQtWebKit.so.4", 0},
    {"$(SrcDir)/libQtXml.so.4", "$(InstallerDir)/libQtXml.so.4", 0},
    // A release's own Qt and the rest, so that the uninstall copy starts where the
    // machine has none.
    {"$(SrcInstallerDir)/runtime", "$(InstallerDir)/runtime", InstallFilesConfigurationItem::OptionalFolder},
    {nullptr, nullptr, 0},
};

} // namespace

InstallStandardInstallerConfigurationList::InstallStandardInstallerConfigurationList()
{
    new InstallFilesConfigurationItem(installerFiles, this, QStringLiteral("Installer"), QString(),
                                      0, false);

    auto *remover = new InstallFileRemovalConfigurationItem(
            this, QStringLiteral("System File Remover"), QString(), 0, false);
    remover->addFile(QStringLiteral("$(InstallerDir)/IConf.xml"));

    m_settingsItem = new InstallSettingKeyConfigurationItem(
            QStringLiteral("$(ProductRegKey)/Installer/$(Version)$(AltArch)"), this,
            QStringLiteral("Installer Settings"), QString(), 0, false);
    m_settingsItem->addValueName(QStringLiteral("DestDir"));
    m_settingsItem->addValueName(QStringLiteral("SrcDir"));
    m_settingsItem->addValueName(QStringLiteral("ProgramFolderDir"));
}
