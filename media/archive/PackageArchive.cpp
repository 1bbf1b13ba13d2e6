#include "media/archive/PackageArchive.h"

#include "app/core/HException.h"
#include "app/core/TerminalSafeText.h"
#include "media/archive/PackageArchiveCompressedBzInputFile.h"
#include "media/archive/PackageArchiveCompressedBzOutputFile.h"
#include "media/archive/PackageArchiveCompressedGzInputFile.h"
#include "media/archive/PackageArchiveCompressedGzOutputFile.h"
#include "media/archive/PackageArchiveData.h"
#include "media/archive/PackageArchiveMemberOutput.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr quint32 CurrentMagic = 0x71F5C6B1;
constexpr quint32 WrappedMagic = 0xB231F47A;
constexpr quint32 LegacyMagic = 0x4152C3C8;
constexpr int InnerHeaderSize = 20;
// No real payload comes near this many members; a forged count must be refused before
// the table is read, since a few MiB of compressed zeros expand to millions of records.
constexpr quint32 MaximumMemberCount = 1000000;
constexpr int RecordSize = 18;
constexpr int LegacyRecordSize = 1040;
constexpr int LegacyNameField = 1024;
// Members grow their buffer in steps as data arrives, so a forged size in the table
// cannot make us reserve memory the stream never fills.
constexpr qint64 ReadChunk = qint64(4) << 20;

quint32 le16(const unsigned char *bytes)
{
    return quint32(bytes[0]) | quint32(bytes[1]) << 8;
}

quint32 le32(const unsigned char *bytes)
{
    return quint32(bytes[0]) | quint32(bytes[1]) << 8 | quint32(bytes[2]) << 16
        | quint32(bytes[3]) << 24;
}

QDateTime timeFromSeconds(quint32 seconds)
{
    return QDateTime::fromSecsSinceEpoch(qint64(seconds), Qt::UTC);
}

QString nameFromBytes(const char *bytes, size_t length)
{
    return QString::fromLatin1(bytes, qsizetype(qstrnlen(bytes, length)));
}

[[noreturn]] void unsupportedFormat()
{
    throw HException("unsupported package file format");
}

struct FileCloser
{
    void operator()(FILE *stream) const { std::fclose(stream); }
};
using FileHandle = std::unique_ptr<FILE, FileCloser>;

} // namespace

PackageArchive::PackageArchive(const QString &fileName, QObject *parent)
    : QObject(parent)
    , m_data(std::make_unique<PackageArchiveData>())
{
    if (!fileName.isEmpty())
        open(fileName, 0, 0);
}

PackageArchive::~PackageArchive() = default;

void PackageArchive::open(const QString &fileName, quint32 offset, quint32 flags)
{
    close();
    try {
        openLayout(fileName, offset);
        if (flags & IndexByName)
            m_data->buildNameIndex();
    } catch (...) {
        close();
        throw;
    }
}

void PackageArchive::openLayout(const QString &fileName, quint32 offset)
{
    if (!QFileInfo::exists(fileName))
        throw HException(QFile::encodeName(fileName) + " does not exist");

    FileHandle file(std::fopen(QFile::encodeName(fileName).constData(), "rb"));
    if (!file)
        unsupportedFormat();
    if (offset != 0 && fseeko(file.get(), off_t(offset), SEEK_SET) != 0)
        unsupportedFormat();
    readPrefix(file.get());

    unsigned char header[8];
    if (std::fread(header, 1, sizeof header, file.get()) != sizeof header)
        unsupportedFormat();

    switch (le32(header)) {
    case CurrentMagic: {
        const quint32 word = le16(header + 4);
        const quint32 method = word >> 12;
        const quint32 version = word & 0xfff;
        m_data->compressionMethod = method;
        m_data->stream = createInputFile(method, file.release());
        if (version == 2) {
            m_data->formatVersion = 2;
            readCurrentTable();
        } else if (version == 1) {
            readLegacyHeaderFromStream();
        } else {
            unsupportedFormat();
        }
        break;
    }
    case WrappedMagic: {
        unsigned char skipped[4];
        if (std::fread(skipped, 1, sizeof skipped, file.get()) != sizeof skipped)
            unsupportedFormat();
        m_data->stream = createInputFile(0, file.release());
        readLegacyHeaderFromStream();
        break;
    }
    case LegacyMagic:
        m_data->stream = std::make_unique<PackageArchiveIOFile>(file.release());
        m_data->formatVersion = 1;
        readLegacyTable(le32(header + 4));
        break;
    default:
        unsupportedFormat();
    }
}

void PackageArchive::readLegacyHeaderFromStream()
{
    unsigned char header[8];
    if (m_data->stream->readAvailable(reinterpret_cast<char *>(header), sizeof header) != sizeof header
        || le32(header) != LegacyMagic)
        unsupportedFormat();
    m_data->formatVersion = 1;
    readLegacyTable(le32(header + 4));
}

void PackageArchive::readCurrentTable()
{
    PackageArchiveIOFileInterface &stream = *m_data->stream;
    unsigned char header[InnerHeaderSize];
    if (stream.readAvailable(reinterpret_cast<char *>(header), InnerHeaderSize) != InnerHeaderSize)
        throw HException("bad header");
    const quint32 count = le32(header);
    if (count > MaximumMemberCount)
        throw HException("bad table of contents");

    QByteArray name;
    for (quint32 index = 0; index < count; ++index) {
        unsigned char record[RecordSize];
        if (stream.readAvailable(reinterpret_cast<char *>(record), RecordSize) != RecordSize)
            throw HException("bad table of contents");
        const quint32 nameLength = le16(record);
        name.resize(nameLength);
        if (stream.readAvailable(name.data(), nameLength) != nameLength)
            throw HException("bad table of contents");
        addMember(PackageArchiveFile(nameFromBytes(name.constData(), nameLength), le32(record + 2),
                                     le32(record + 6), le32(record + 10),
                                     timeFromSeconds(le32(record + 14))));
    }
}

void PackageArchive::readLegacyTable(quint32 count)
{
    if (count > MaximumMemberCount)
        throw HException("bad table of contents");
    PackageArchiveIOFileInterface &stream = *m_data->stream;
    for (quint32 index = 0; index < count; ++index) {
        unsigned char record[LegacyRecordSize];
        if (stream.readAvailable(reinterpret_cast<char *>(record), LegacyRecordSize) != LegacyRecordSize)
            throw HException("bad table of contents");
        const quint32 mode = (record[1032] != 0) ? 0444 : 0666;
        addMember(PackageArchiveFile(nameFromBytes(reinterpret_cast<const char *>(record), LegacyNameField),
                                     le32(record + 1024), le32(record + 1028), mode,
                                     timeFromSeconds(le32(record + 1036))));
    }
}

void PackageArchive::addMember(const PackageArchiveFile &file)
{
    m_data->append(file);
}

void PackageArchive::close()
{
    m_data->clear();
}

bool PackageArchive::isOpen() const
{
    return m_data->stream != nullptr;
}

const QList<const PackageArchiveFile *> &PackageArchive::files() const
{
    return m_data->files;
}

const PackageArchiveFile *PackageArchive::findFile(const QString &name) const
{
    if (m_data->filesByName.isEmpty() && !m_data->files.isEmpty()) {
        const auto found = std::find_if(m_data->files.cbegin(), m_data->files.cend(),
                                        [&](const PackageArchiveFile *file) { return file->name() == name; });
        return found == m_data->files.cend() ? nullptr : *found;
    }
    const auto &sorted = m_data->filesByName;
    const auto found = std::lower_bound(sorted.cbegin(), sorted.cend(), name,
                                        [](const PackageArchiveFile *file, const QString &key) {
                                            return file->name() < key;
                                        });
    return (found != sorted.cend() && (*found)->name() == name) ? *found : nullptr;
}

QByteArray PackageArchive::fileData(const PackageArchiveFile *file)
{
    if (!file)
        return QByteArray();
    const auto cutShort = [file]() {
        return HException("cannot read file " + file->name().toLatin1() + " from archive");
    };
    if (!m_data->stream || !m_data->stream->seek(file->dataPosition()))
        throw cutShort();

    const qint64 size = file->size();
    QByteArray contents;
    qint64 done = 0;
    while (done < size) {
        const qint64 chunk = std::min(size - done, ReadChunk);
        if (done + chunk > contents.capacity())
            contents.reserve(std::min(size, std::max(done + chunk, 2 * qint64(contents.capacity()))));
        contents.resize(done + chunk);
        const qint64 got = m_data->stream->readAvailable(contents.data() + done, chunk);
        if (got != chunk)
            throw cutShort();
        done += got;
    }
    return contents;
}

void PackageArchive::extractFile(const PackageArchiveFile *file, const QString &destPath, bool overwrite)
{
    if (!file)
        return;
    const auto cutShort = [file]() {
        return HException("cannot read file " + file->name().toLatin1() + " from archive");
    };
    if (!m_data->stream || !m_data->stream->seek(file->dataPosition()))
        throw cutShort();
    // Written as it is read, chunk by chunk: memory stays bounded whatever the size.
    PackageArchiveMemberOutput output(destPath, overwrite);
    std::vector<char> chunk(size_t(std::min(qint64(file->size()), ReadChunk)));
    for (qint64 left = file->size(); left > 0;) {
        const qint64 wanted = std::min(left, ReadChunk);
        if (m_data->stream->readAvailable(chunk.data(), wanted) != wanted)
            throw cutShort();
        output.write(chunk.data(), wanted);
        left -= wanted;
    }
    output.finish(*file);
}

void PackageArchive::writeFile(const PackageArchiveFile &file, const QByteArray &contents,
                               const QString &destPath, bool overwrite)
{
    PackageArchiveMemberOutput output(destPath, overwrite);
    output.write(contents.constData(), contents.size());
    output.finish(file);
}

QString PackageArchive::destinationPath(const PackageArchiveFile &file, const QString &folder)
{
    if (!isSafeFileName(file.name()))
        throw HException("unsafe file name " + terminalSafe(file.name().toUtf8(), false));
    return folder + QLatin1Char('/') + file.name();
}

void PackageArchive::extractFileTo(const PackageArchiveFile *file, const QString &folder, bool overwrite)
{
    if (!file)
        return;
    extractFile(file, destinationPath(*file, folder), overwrite);
}

quint32 PackageArchive::formatVersion() const
{
    return m_data->formatVersion;
}

quint32 PackageArchive::compressionMethod() const
{
    return m_data->compressionMethod;
}

quint64 PackageArchive::readToEnd(const std::function<void(quint64)> &progress)
{
    if (!m_data->stream)
        return 0;
    constexpr qint64 Block = 256 * 1024;
    std::vector<char> block(Block);
    while (m_data->stream->readAvailable(block.data(), Block) == Block) {
        if (progress)
            progress(m_data->stream->position());
    }
    return m_data->stream->position();
}

void PackageArchive::verify(const std::function<void(quint64)> &progress)
{
    if (m_data->files.isEmpty())
        throw HException("archive holds no files");
    const quint64 length = readToEnd(progress);
    for (const PackageArchiveFile *file : m_data->files) {
        if (quint64(file->dataPosition()) + file->size() > length)
            throw HException("bad table of contents");
    }
}

bool PackageArchive::isSafeFileName(const QString &name)
{
    constexpr qsizetype longestComponent = 255;
    constexpr qsizetype longestName = 4095;
    if (name.isEmpty() || name.startsWith(QLatin1Char('/')) || name.toUtf8().size() > longestName)
        return false;
    // A newline would split the name in two in the installation record, whose later
    // removal would then delete files the payload never installed.
    const bool hasControlCharacter = std::any_of(name.cbegin(), name.cend(), [](QChar c) {
        return c.unicode() < 0x20 || c.unicode() == 0x7f;
    });
    if (hasControlCharacter)
        return false;
    const QStringList parts = name.split(QLatin1Char('/'));
    return std::none_of(parts.cbegin(), parts.cend(), [](const QString &part) {
        return part.isEmpty() || part == QLatin1String("..") || part.toUtf8().size() > longestComponent;
    });
}

const PackageArchiveFile *PackageArchive::firstUnsafeMember() const
{
    const QList<const PackageArchiveFile *> &members = files();
    const auto unsafe = std::find_if(members.cbegin(), members.cend(),
                                     [](const PackageArchiveFile *member) { return !isSafeFileName(member->name()); });
    return unsafe == members.cend() ? nullptr : *unsafe;
}

void PackageArchive::refuseUnsafeNames() const
{
    if (const PackageArchiveFile *unsafe = firstUnsafeMember())
        throw HException("unsafe file name " + terminalSafe(unsafe->name().toUtf8(), false));
}

std::unique_ptr<PackageArchiveCompressedInputFile> PackageArchive::createInputFile(quint32 method, FILE *stream)
{
    switch (method) {
    case 0:
        return std::make_unique<PackageArchiveCompressedGzInputFile>(stream);
    case 1:
        return std::make_unique<PackageArchiveCompressedBzInputFile>(stream);
    default:
        std::fclose(stream);
        throw HException("unsupported compression algorithm");
    }
}

std::unique_ptr<PackageArchiveCompressedOutputFile>
PackageArchive::createOutputFile(quint32 method, FILE *stream, quint32 level)
{
    switch (method) {
    case 0:
        return std::make_unique<PackageArchiveCompressedGzOutputFile>(stream, level);
    case 1:
        return std::make_unique<PackageArchiveCompressedBzOutputFile>(stream, level);
    default:
        std::fclose(stream);
        throw HException("unsupported compression algorithm");
    }
}

void PackageArchive::writePrefix(FILE *)
{
}

void PackageArchive::readPrefix(FILE *)
{
}
