#include "app/records/InstalledConfiguration.h"

#include "app/core/VariableTable.h"
#include "configuration/model/InstallConfigurationList.h"
#include "configuration/model/InstalledStateWriter.h"
#include "app/core/PathCleaning.h"
#include "app/core/RecordText.h"
#include "media/platform/FolderBelow.h"
#include "media/platform/WholeFile.h"

#include <QDomDocument>
#include <QDomElement>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

namespace {

const QString documentType = QStringLiteral("Install");
const QString configurationTag = QStringLiteral("configuration");
const QString destDirAttribute = QStringLiteral("dest_dir");
const QString srcDirAttribute = QStringLiteral("src_dir");
const QString programFolderDirAttribute = QStringLiteral("program_folder_dir");

InstallConfigurationItem *applicationTree()
{
    const InstallRun *run = InstallRun::instance();
    return run ? run->configurationList() : nullptr;
}

QString lastSegment(const QString &path)
{
    return path.section(QLatin1Char('/'), -1);
}

// The same folder, whichever links lead to it.
bool isSameFolder(const QString &recorded, const QString &expected)
{
    if (recorded.isEmpty() || expected.isEmpty())
        return false;
    const QString recordedFolder = QFileInfo(recorded).canonicalFilePath();
    const QString expectedFolder = QFileInfo(expected).canonicalFilePath();
    if (!recordedFolder.isEmpty() && !expectedFolder.isEmpty())
        return recordedFolder == expectedFolder;
    return Platform::cleanPath(recorded) == Platform::cleanPath(expected);
}

// The record lies in the installation's own folders: reached from the destination
// without following a link, so that a "bin" swapped for a link cannot place it elsewhere.
QString writeRecordFile(const QString &path, const QByteArray &contents)
{
    const QString destination = expand(QStringLiteral("$(DestDir)"));
    const QFileInfo file(path);
    const QString below = Platform::pathBelow(destination, file.path());
    if (below.isEmpty() && Platform::cleanPath(file.path()) != Platform::cleanPath(destination))
        return Platform::writeWholeFile(path, contents, 0644);
    const Platform::Descriptor folder = Platform::openFolderBelow(destination, below, true);
    if (!folder.isOpen())
        return QString::fromLocal8Bit(std::strerror(errno));
    return Platform::writeWholeFileIn(folder.descriptor(), file.fileName(), contents, 0644);
}

} // namespace

bool saveInstalledConfiguration(const QString &path, QString *failure)
{
    InstallConfigurationItem *root = applicationTree();
    return root && saveInstalledConfiguration(*root, path, failure);
}

bool saveInstalledConfiguration(InstallConfigurationItem &root, const QString &path,
                                QString *failure)
{
    QDomDocument document(documentType);
    QDomElement configuration = document.createElement(configurationTag);
    document.appendChild(configuration);
    configuration.setAttribute(destDirAttribute, expand(QStringLiteral("$(DestDir)")));
    configuration.setAttribute(srcDirAttribute, expand(QStringLiteral("$(SrcDir)")));
    configuration.setAttribute(programFolderDirAttribute,
                               expand(QStringLiteral("$(ProgramFolderDir)")));
    if (!root.saveState(document, configuration))
        return false;

    // The DOM does not keep the order attributes were set in; the writer restores it.
    InstalledStateWriter writer;
    writer.setAttributeOrder(configurationTag,
                             {destDirAttribute, srcDirAttribute, programFolderDirAttribute});
    writer.addItemClasses(&root);

    const QString reason = writeRecordFile(path, writer.toString(document, 1).toUtf8());
    if (failure)
        *failure = reason;
    return reason.isEmpty();
}

bool loadInstalledConfiguration(const QString &path, const QString &destination)
{
    InstallConfigurationItem *root = applicationTree();
    if (!root)
        return false;
    return loadInstalledConfiguration(*root, path, InstallRun::instance()->mode(), destination);
}

bool loadInstalledConfiguration(InstallConfigurationItem &root, const QString &path,
                                InstallRun::Mode mode, const QString &destination)
{
    if (!QFileInfo::exists(path))
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QDomDocument document;
    if (!document.setContent(&file))
        return false;

    QDomElement configuration = document.firstChildElement(configurationTag);
    const QString destDir = RecordText::decode(configuration.attribute(destDirAttribute));
    if (!isSameFolder(destDir, destination))
        return false;
    setVariable(QStringLiteral("DestDir"), destDir);
    if (mode == InstallRun::Modify || mode == InstallRun::Repair) {
        const QString srcDir = RecordText::decode(configuration.attribute(srcDirAttribute));
        if (!srcDir.isEmpty())
            setVariable(QStringLiteral("SrcDir"), srcDir);
    }
    const QString programFolderDir = RecordText::decode(configuration.attribute(programFolderDirAttribute));
    if (!programFolderDir.isEmpty()) {
        setVariable(QStringLiteral("ProgramFolderDir"), programFolderDir);
        setVariable(QStringLiteral("ProgramFolderName"), lastSegment(programFolderDir));
    }

    QDomElement itemElement = configuration.firstChildElement();
    return root.loadState(document, itemElement);
}
