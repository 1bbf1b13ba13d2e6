// Opens an arbitrary byte string as a package archive and extracts every member
// into a scratch folder. Any failure must be an HException; crashes, leaks,
// undefined behaviour and writes outside the scratch folder are findings.
#include "app/core/HException.h"
#include "media/archive/PackageArchive.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

namespace {

struct Scratch
{
    QTemporaryDir dir;
    QString input() const { return dir.path() + QStringLiteral("/input.pkg"); }
    QString output() const { return dir.path() + QStringLiteral("/out"); }
};

Scratch &scratch()
{
    static Scratch instance;
    return instance;
}

void run(const QString &path, quint32 flags, const QString &folder)
{
    PackageArchive archive;
    try {
        archive.open(path, 0, flags);
    } catch (const HException &) {
        return;
    }
    for (const PackageArchiveFile &file : archive.files()) {
        archive.findFile(file.name());
        try {
            archive.extractFileTo(file, folder, true);
        } catch (const HException &) {
            // Refused or broken members are expected; the next one is still tried.
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Scratch &place = scratch();
    if (!place.dir.isValid())
        std::abort();
    {
        QFile input(place.input());
        if (!input.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        input.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    // The last byte chooses the lookup mode so both paths are exercised.
    const quint32 flags = (size > 0 && (data[size - 1] & 1)) ? PackageArchive::IndexByName : 0;
    run(place.input(), flags, place.output());

    QDir(place.output()).removeRecursively();
    // Anything besides the input and the output folder would have escaped.
    const QStringList left = QDir(place.dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    if (left != QStringList{QStringLiteral("input.pkg")})
        std::abort();
    return 0;
}
