#include "app/run/InstallerVariables.h"

#include "app/core/ProductIdentity.h"
#include "app/core/VariableTable.h"
#include "media/platform/Environment.h"

#include <QDir>

namespace InstallerVariables {

QString defaultDestinationName(const QString &title, const QString &version)
{
    QString name = (title + QLatin1Char('_') + version).toLower();
    name.replace(QLatin1Char(' '), QLatin1Char('_'));
    return name;
}

void initialise()
{
    const QString title = QString::fromLatin1(ProductIdentity::title);
    const QString version = QString::fromLatin1(ProductIdentity::version);
    setVariable(QStringLiteral("Company"), QString::fromLatin1(ProductIdentity::maker));
    setVariable(QStringLiteral("Product"), title);
    setVariable(QStringLiteral("Version"), version);
    setVariable(QStringLiteral("AltArch"), QString());
    setPathVariable(QStringLiteral("SrcDir"), QStringLiteral("$(SrcInstallerDir)"));
    setPathVariable(QStringLiteral("DestDir"),
                    QStringLiteral("$(OSAppDir)/") + defaultDestinationName(title, version));
    setPathVariable(QStringLiteral("ProgramFolderDir"), QStringLiteral("$(Company)/$(DestName)"));
    setPathVariable(QStringLiteral("ProgramFolderName"), QStringLiteral("$(DestName)"));
    setPathVariable(QStringLiteral("InstallerDir"), QStringLiteral("$(DestDir)/bin"));
    setPathVariable(QStringLiteral("ProductRegKey"), QStringLiteral("$(Company)/$(Product)"));
    setPathVariable(QStringLiteral("SrcInstallerDir"), Platform::installerFolder());
    setPathVariable(QStringLiteral("CurrentDir"), QDir::currentPath());
    setPathVariable(QStringLiteral("OSRootDir"), Platform::rootFolder());
    setPathVariable(QStringLiteral("OSDir"), Platform::rootFolder());
    setPathVariable(QStringLiteral("OSArch"), QStringLiteral("x86"));
    setPathVariable(QStringLiteral("OSAppDir"), Platform::systemShareFolder());
    setPathVariable(QStringLiteral("UserAppDir"), Platform::userShareFolder());
    setPathVariable(QStringLiteral("HomeDir"), Platform::homeFolder());
    setPathVariable(QStringLiteral("TmpDir"), Platform::temporaryFolder());
}

} // namespace InstallerVariables
