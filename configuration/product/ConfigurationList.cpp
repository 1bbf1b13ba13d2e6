#include "configuration/product/ConfigurationList.h"

#include "app/core/ProductIdentity.h"
#include "configuration/desktop/DesktopFolders.h"
#include "configuration/desktop/InstallFreeDesktopMimeTypeConfigurationItem.h"
#include "configuration/desktop/InstallFreeDesktopShortcutConfigurationItem.h"
#include "configuration/desktop/VantorDriverInstallConfigurationItem.h"
#include "configuration/items/InstallArchiveConfigurationItem.h"
#include "configuration/items/InstallFileRemovalConfigurationItem.h"

namespace {

struct Component
{
    const char *folder;
    const char *name;
    const char *description;
};

const Component components[] = {
    {"bin", "Binary Files", "Executable files required to run $(Product)"},
    {"gcc", "GCC Files", "Install GCC tools."},
    {"html", "Help Files", "$(Product) help files"},
    {"include", "Include Files", "$(Product) include files"},
    {"lib", "Library Files", "$(Product) library files"},
    {"llvm", "LLVM Files", "Install LLVM tools"},
    {"samples", "Sample Files", "$(Product) sample project and source files"},
    {"source", "Source Files", "$(Product) source files"},
    {"targets", "Target Definition Files", "$(Product) target definition files"},
};

struct MimeType
{
    const char *type;
    const char *comment;
    const char *extension;
};

const MimeType mimeTypes[] = {
    {"application/x-corvane-fwproject", "Corvane Fenwick Studio Project File", ".fwProject"},
    {"application/x-corvane-fwpackage", "Corvane Fenwick Studio Package File", ".fwPackage"},
    {"application/x-corvane-fwarchive", "Corvane Fenwick Studio Archive File", ".fwArchive"},
};

} // namespace

ConfigurationList::ConfigurationList()
{
    auto *product = new InstallConfigurationItem(this, QStringLiteral("$(Product) $(Version)"),
                                                 QStringLiteral("$(Product) $(Version) Installation"),
                                                 0, true);

    for (const Component &component : components) {
        const QString folder = QString::fromLatin1(component.folder);
        new InstallArchiveConfigurationItem(
                folder, QStringLiteral("$(DestDir)/") + folder, product,
                QString::fromLatin1(component.name), QString::fromLatin1(component.description), 0,
                true, allPlatforms,
                InstallArchiveConfigurationItem::InstallsFolder
                        | InstallArchiveConfigurationItem::RemovesFiles);
    }

    new VantorDriverInstallConfigurationItem(product);

    for (const MimeType &mimeType : mimeTypes) {
        const QString extension = QString::fromLatin1(mimeType.extension);
        new InstallFreeDesktopMimeTypeConfigurationItem(
                DesktopFolders::System, QString::fromLatin1(mimeType.type),
                QString::fromLatin1(mimeType.comment), QStringLiteral("text/xml"), extension,
                QStringLiteral("$(DestDir)/bin/FileIcon.png"), product,
                extension + QStringLiteral(" Mime Type"),
                QStringLiteral("Install ") + extension + QStringLiteral(" file Mime type"), 0,
                false);
    }

    new InstallFreeDesktopShortcutConfigurationItem(
            DesktopFolders::System, QStringLiteral("$(Company)"),
            QLatin1String(ProductIdentity::title) + QStringLiteral(" $(Version)"),
            QStringLiteral("$(DestDir)/bin/fwStudio"), QStringLiteral("$(DestDir)/bin/StudioIcon.png"),
            false, true, QStringLiteral("Development;X-MandrivaLinux-MoreApplications-Development;"),
            QStringLiteral("application/x-corvane-fwproject;application/x-corvane-fwpackage;"
                           "application/x-corvane-fwarchive;"),
            product, QStringLiteral("fwStudio Shortcut"), QStringLiteral("Install shortcut for fwStudio"),
            0, false);

    auto *remover = new InstallFileRemovalConfigurationItem(product, QStringLiteral("File Remover"),
                                                            QString(), 0, false);
    remover->addFile(QStringLiteral("$(DestDir)/html/contents.bin"));
}
