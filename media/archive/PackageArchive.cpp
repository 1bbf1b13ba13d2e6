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

// A name ends at its first NUL byte, whatever its recorded length.
QByteArrayView storedName(const char *bytes, size_t length)
{
    return QByteArrayView(bytes, qsizetype(qstrnlen(bytes, length)));
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
            m_data->table.buildNameIndex();
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

    PackageArchiveTable &table = m_data->table;
    table.reserve(count);
    QByteArray name;
    for (quint32 index = 0; index < count; ++index) {
        unsigned char record[RecordSize];
        if (stream.readAvailable(reinterpret_cast<char *>(record), RecordSize) != RecordSize)
            throw HException("bad table of contents");
        const quint32 nameLength = le16(record);
        name.resize(nameLength);
        if (stream.readAvailable(name.data(), nameLength) != nameLength)
            throw HException("bad table of contents");
        table.append(storedName(name.constData(), nameLength), le32(record + 2), le32(record + 6),
                     le32(record + 10), le32(record + 14));
    }
}

void PackageArchive::readLegacyTable(quint32 count)
{
    if (count > MaximumMemberCount)
        throw HException("bad table of contents");
    PackageArchiveIOFileInterface &stream = *m_data->stream;
    PackageArchiveTable &table = m_data->table;
    table.reserve(count);
    for (quint32 index = 0; index < count; ++index) {
        unsigned char record[LegacyRecordSize];
        if (stream.readAvailable(reinterpret_cast<char *>(record), LegacyRecordSize) != LegacyRecordSize)
            throw HException("bad table of contents");
        const quint32 mode = (record[1032] != 0) ? 0444 : 0666;
        table.append(storedName(reinterpret_cast<const char *>(record), LegacyNameField), le32(record + 1024),
                     le32(record + 1028), mode, le32(record + 1036));
    }
}

void PackageArchive::close()
{
    m_data->clear();
}

bool PackageArchive::isOpen() const
{
    return m_data->stream != nullptr;
}

const PackageArchiveTable &PackageArchive::files() const
{
    return m_data->table;
}

std::optional<PackageArchiveFile> PackageArchive::findFile(const QString &name) const
{
    const qsizetype index = m_data->table.indexOf(name);
    if (index < 0)
        return std::nullopt;
    return m_data->table.at(index);
}

QByteArray PackageArchive::fileData(const PackageArchiveFile &file)
{
    const auto cutShort = [&file]() {
        return HException("cannot read file " + file.name().toLatin1() + " from archive");
    };
    if (!m_data->stream || !m_data->stream->seek(file.dataPosition()))
        throw cutShort();

    const qint64 size = file.size();
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

void PackageArchive::extractFile(const PackageArchiveFile &file, const QString &destPath, bool overwrite)
{
    const auto cutShort = [&file]() {
        return HException("cannot read file " + file.name().toLatin1() + " from archive");
    };
    if (!m_data->stream || !m_data->stream->seek(file.dataPosition()))
        throw cutShort();
    // Written as it is read, chunk by chunk: memory stays bounded whatever the size.
    PackageArchiveMemberOutput output(destPath, overwrite);
    std::vector<char> chunk(size_t(std::min(qint64(file.size()), ReadChunk)));
    for (qint64 left = file.size(); left > 0;) {
        const qint64 wanted = std::min(left, ReadChunk);
        if (m_data->stream->readAvailable(chunk.data(), wanted) != wanted)
            throw cutShort();
        output.write(chunk.data(), wanted);
        left -= wanted;
    }
    output.finish(file);
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

void PackageArchive::extractFileTo(const PackageArchiveFile &file, const QString &folder, bool overwrite)
{
    extractFile(file, destinationPath(file, folder), overwrite);
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
    const PackageArchiveTable &table = m_data->table;
    if (table.isEmpty())
        throw HException("archive holds no files");
    const quint64 length = readToEnd(progress);
    for (qsizetype index = 0; index < table.size(); ++index) {
        if (quint64(table.dataPosition(index)) + table.fileSize(index) > length)
            throw HException("bad table of contents");
    }
}

bool PackageArchive::isSafeFileName(const QString &name)
{
    return isSafeUtf8FileName(name.toUtf8());
}

bool PackageArchive::isSafeUtf8FileName(QByteArrayView name)
{
    constexpr qsizetype longestComponent = 255;
    constexpr qsizetype longestName = 4095;
    if (name.isEmpty() || name.front() == '/' || name.size() > longestName)
        return false;
    // A newline would split the name in two in the installation record, whose later
    // removal would then delete files the payload never installed. In UTF-8 every
    // control character is a single byte below 0x20 or 0x7f.
    const bool hasControlCharacter = std::any_of(name.cbegin(), name.cend(), [](char c) {
        return uchar(c) < 0x20 || uchar(c) == 0x7f;
    });
    if (hasControlCharacter)
        return false;
    for (qsizetype start = 0; start <= name.size();) {
        qsizetype end = name.indexOf('/', start);
        if (end < 0)
            end = name.size();
        const QByteArrayView part = name.sliced(start, end - start);
        if (part.isEmpty() || part == "..")
            return false;
        if (part.size() > longestComponent)
            return false;
        start = end + 1;
    }
    return true;
}

std::optional<PackageArchiveFile> PackageArchive::firstUnsafeMember() const
{
    const PackageArchiveTable &table = m_data->table;
    for (qsizetype index = 0; index < table.size(); ++index) {
        const QByteArrayView stored = table.nameBytes(index);
        // Stored names are Latin-1; a name of ASCII alone is already its UTF-8.
        const bool ascii = std::all_of(stored.cbegin(), stored.cend(), [](char c) { return uchar(c) < 0x80; });
        const bool safe = ascii ? isSafeUtf8FileName(stored)
                                : isSafeUtf8FileName(QString::fromLatin1(stored.data(), stored.size()).toUtf8());
        if (!safe)
            return table.at(index);
    }
    return std::nullopt;
}

void PackageArchive::refuseUnsafeNames() const
{
    if (const std::optional<PackageArchiveFile> unsafe = firstUnsafeMember())
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
