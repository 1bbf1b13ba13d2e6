#include "app/queries/FindFileRequest.h"

#include "app/core/VariableTable.h"
#include "media/platform/FileName.h"

#include <QFileInfo>

FindFileRequest FindFileRequest::forPath(const QString &path)
{
    FindFileRequest request = textsFor(path);
    const QString expandedPath = expand(path);
    request.missing = (QFileInfo(expandedPath).isDir() ? QStringLiteral("<p>Cannot find the directory named:<p>")
                                                       : QStringLiteral("<p>Cannot find the file named:<p>"))
                      + FileName(expandedPath).path();
    return request;
}

FindFileRequest FindFileRequest::textsFor(const QString &path)
{
    if (path.contains(QLatin1String("$(SrcDir)")))
        return {LocateInstallationFolder, QString(),
                expand(QStringLiteral("Please locate the '$(Product) $(Version)' installation folder\n"
                                      "and then click OK to continue. Click Cancel to terminate "
                                      "installation.")),
                expand(QStringLiteral("$(SrcDir)")), QStringLiteral("Locate Installation Folder")};
    if (!path.contains(QLatin1String("$(DestDir)"))) {
        const QString expandedPath = expand(path);
        return {LocateFile, QString(),
                expand(QStringLiteral("<p>Please locate the ") + QFileInfo(expandedPath).fileName()
                       + QStringLiteral(" file and then click OK to continue. Click Cancel to "
                                        "terminate installation.")),
                expandedPath, QStringLiteral("Locate File")};
    }
    return {LocateProductFolder, QString(),
            expand(QStringLiteral("Please locate the '$(Product) $(Version)' folder\n"
                                  "and then click OK to continue. Click Cancel to terminate "
                                  "installation.")),
            expand(QStringLiteral("$(DestDir)")), expand(QStringLiteral("Locate $(Product) Folder"))};
}
