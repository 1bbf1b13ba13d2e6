#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>

// Where the installation files come from. Items ask it which files a folder holds and
// how large they are, then have it install a list of them into a destination folder;
// while it works it reports each file it starts and the bytes handled so far.
class InstallMedia : public QObject
{
    Q_OBJECT
public:
    explicit InstallMedia(QObject *parent = nullptr);
    ~InstallMedia() override;

    // Names of all files below folder, relative to it; totalSize receives their sum.
    virtual QStringList listFiles(const QString &folder, uint64_t &totalSize) = 0;
    // Sum of the sizes of every file the media holds.
    virtual uint64_t totalSize() = 0;
    // Installs each name from sourceFolder (inside the media) into destFolder (on disk),
    // keeping the relative name. Throws InstallException; a failure leaves the files
    // installed before it in place.
    virtual void installFiles(const QStringList &files, const QString &sourceFolder,
                              const QString &destFolder) = 0;

signals:
    // Before a file is installed: its name relative to the source folder, cleaned.
    void extractingFile(const QString &filename);
    // After each file: running byte total of the current installFiles call.
    void extractedFile(uint64_t bytesExtracted);
};
