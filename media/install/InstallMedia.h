#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

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

    // Reads everything the media holds once, before the first file is installed, so
    // that damaged data fails the run before anything is written. Throws
    // InstallException; `progress` hears the bytes read and the total expected.
    // True while verifyData has work to do (a stream not yet read through).
    virtual bool needsVerification() const { return false; }
    virtual void verifyData(const std::function<void(quint64 done, quint64 total)> &progress);

protected:
    // Creates the folder a file of destFolder goes into. A symbolic link on the way
    // below the destination (someone else's, planted before the run) is not followed:
    // it throws "Cannot create folder ... (a symbolic link is in the way)". The
    // destination itself may be a link the user chose.
    void makeFolderFor(const QString &filePath, const QString &destFolder);

signals:
    // Before a file is installed: its name relative to the source folder, cleaned.
    void extractingFile(const QString &filename);
    // After each file: running byte total of the current installFiles call.
    void extractedFile(uint64_t bytesExtracted);

private:
    QString m_preparedFolder; // files of one folder mostly come one after the other
};
