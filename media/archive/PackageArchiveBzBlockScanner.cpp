#include "media/archive/PackageArchiveBzBlockScanner.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

constexpr quint64 BlockSignature = 0x314159265359ULL;
constexpr quint64 EndSignature = 0x177245385090ULL;
constexpr quint64 SignatureMask = 0xFFFFFFFFFFFFULL;
constexpr int SignatureBits = 48;
constexpr int CrcBits = 32;
constexpr size_t ReadSize = 256 * 1024;
// Zeros kept behind the data read, so that a whole word can be loaded anywhere in it.
constexpr size_t Slack = 8;

// Whether a signature may start in the byte before this pair of bytes. Every one of the
// eight bit positions leaves the signature's second and third byte whole, so one lookup
// per byte rules out nearly every position and only candidates are tested bit by bit.
const std::array<bool, 65536> &candidatePairs()
{
    static const std::array<bool, 65536> pairs = [] {
        std::array<bool, 65536> table{};
        for (const quint64 signature : {BlockSignature, EndSignature}) {
            for (int shift = 0; shift < 8; ++shift)
                table[(signature >> (24 + shift)) & 0xFFFF] = true;
        }
        return table;
    }();
    return pairs;
}

quint64 wordAt(const unsigned char *bytes)
{
    quint64 word = 0;
    for (int i = 0; i < 8; ++i)
        word = word << 8 | bytes[i];
    return word;
}

// Appends bits, most significant first, as bzip2 stores them.
class BitWriter
{
public:
    explicit BitWriter(size_t expectedBytes) { m_bytes.reserve(expectedBytes); }

    void append(const unsigned char *source, quint64 from, quint64 count)
    {
        const unsigned char *bytes = source + from / 8;
        const int shift = int(from % 8);
        const quint64 whole = count / 8;
        if (m_bits % 8 == 0) {
            // The usual case, a stretch cut from the input: whole bytes, one shift for all.
            const size_t at = m_bytes.size();
            m_bytes.resize(at + size_t(whole));
            char *out = m_bytes.data() + at;
            if (shift == 0)
                std::memcpy(out, bytes, size_t(whole));
            for (quint64 i = 0; shift && i < whole; ++i)
                out[i] = char(bytes[i] << shift | bytes[i + 1] >> (8 - shift));
            m_bits += 8 * whole;
        } else {
            for (quint64 i = 0; i < whole; ++i)
                appendByte(shift ? (bytes[i] << shift | bytes[i + 1] >> (8 - shift)) & 0xFF : bytes[i]);
        }
        for (quint64 bit = from + 8 * whole; bit < from + count; ++bit)
            appendBit((source[bit / 8] >> (7 - bit % 8)) & 1);
    }

    void appendValue(quint64 value, int width)
    {
        for (int i = width - 1; i >= 0; --i)
            appendBit((value >> i) & 1);
    }

    std::vector<char> take() { return std::move(m_bytes); }

private:
    // Only ever called off a byte boundary: aligned bytes are copied whole above.
    void appendByte(unsigned value)
    {
        const int used = int(m_bits % 8);
        m_bytes.back() = char(m_bytes.back() | value >> used);
        m_bytes.push_back(char(value << (8 - used)));
        m_bits += 8;
    }

    void appendBit(unsigned value)
    {
        if (m_bits % 8 == 0)
            m_bytes.push_back(0);
        if (value)
            m_bytes.back() = char(m_bytes.back() | 0x80 >> (m_bits % 8));
        ++m_bits;
    }

    std::vector<char> m_bytes;
    quint64 m_bits = 0;
};

} // namespace

PackageArchiveBzBlockScanner::PackageArchiveBzBlockScanner(FILE *file, const unsigned char *start, size_t length)
    : m_file(file), m_level(char(start[3])), m_buffer(start, start + length), m_valid(length)
{
    // The longest a block can be: 20-bit codes for every byte of the level's block size,
    // with room for its tables; anything longer without a signature is damage.
    m_longestBlock = quint64(m_level - '0') * 100000 * 20 + 65536 * 8;
    m_buffer.resize(m_valid + Slack, 0);
}

PackageArchiveBzBlockScanner::Piece PackageArchiveBzBlockScanner::next()
{
    const std::array<bool, 65536> &pairs = candidatePairs();
    while (!m_broken) {
        // Until the input has ended, only bytes with a whole word of data behind them are tested.
        const size_t scanEnd = m_atEnd ? m_valid : (m_valid > 7 ? m_valid - 7 : 0);
        for (; m_scan < scanEnd; ++m_scan) {
            if (!pairs[size_t(m_buffer[m_scan + 1]) << 8 | m_buffer[m_scan + 2]])
                continue;
            const quint64 word = wordAt(&m_buffer[m_scan]);
            for (int shift = 0; shift < 8; ++shift) {
                const quint64 signature = word >> (16 - shift) & SignatureMask;
                const quint64 bit = 8 * quint64(m_scan) + quint64(shift);
                if ((signature == BlockSignature || signature == EndSignature)
                    && bit >= m_pieceStart + SignatureBits && bit + SignatureBits <= 8 * quint64(m_valid))
                    return cutAt(bit);
            }
        }
        if (m_atEnd || 8 * quint64(m_valid) - m_pieceStart > m_longestBlock)
            m_broken = true;
        else
            readMore();
    }
    Piece piece;
    piece.broken = true;
    return piece;
}

PackageArchiveBzBlockScanner::Piece PackageArchiveBzBlockScanner::cutAt(quint64 bit)
{
    Piece piece;
    piece.bits = bit - m_pieceStart;
    piece.blockCrc = bitsAt(m_pieceStart + SignatureBits, CrcBits);
    piece.stream = blockStream({{m_buffer.data(), m_pieceStart, piece.bits}}, piece.blockCrc);
    const bool ending = (wordAt(&m_buffer[bit / 8]) >> (16 - bit % 8) & SignatureMask) == EndSignature;
    m_pieceStart = bit;
    m_scan = size_t(bit / 8 + 1);
    if (!ending)
        return piece;
    while (!m_atEnd && 8 * quint64(m_valid) < m_pieceStart + SignatureBits + CrcBits)
        readMore();
    // Cut off inside the stream's checksum: the stretch is whole, and the damage shows after it.
    if (8 * quint64(m_valid) < m_pieceStart + SignatureBits + CrcBits) {
        m_broken = true;
        return piece;
    }
    piece.endsStream = true;
    piece.streamCrc = bitsAt(m_pieceStart + SignatureBits, CrcBits);
    return piece;
}

PackageArchiveBzBlockScanner::Piece PackageArchiveBzBlockScanner::joined(const Piece &first, const Piece &second) const
{
    Piece piece;
    piece.bits = first.bits + second.bits;
    piece.blockCrc = first.blockCrc;
    piece.endsStream = second.endsStream;
    piece.streamCrc = second.streamCrc;
    piece.broken = first.broken || second.broken || piece.bits > m_longestBlock;
    if (piece.broken)
        return piece;
    // Both stretches start behind their own stream's four header bytes.
    piece.stream = blockStream({{first.stream.data(), 32, first.bits}, {second.stream.data(), 32, second.bits}},
                               piece.blockCrc);
    return piece;
}

void PackageArchiveBzBlockScanner::readMore()
{
    // Everything before the current stretch has been cut off already.
    const size_t done = size_t(m_pieceStart / 8);
    std::memmove(m_buffer.data(), m_buffer.data() + done, m_valid - done);
    m_valid -= done;
    m_scan -= std::min(m_scan, done);
    m_pieceStart -= 8 * quint64(done);
    m_buffer.resize(m_valid + ReadSize + Slack);
    const size_t got = std::fread(m_buffer.data() + m_valid, 1, ReadSize, m_file);
    m_valid += got;
    m_atEnd = got == 0;
    m_buffer.resize(m_valid + Slack);
    std::fill(m_buffer.begin() + ptrdiff_t(m_valid), m_buffer.end(), 0);
}

quint32 PackageArchiveBzBlockScanner::bitsAt(quint64 bit, int count) const
{
    return quint32(wordAt(&m_buffer[bit / 8]) >> (64 - count - bit % 8) & ((quint64(1) << count) - 1));
}

std::vector<char> PackageArchiveBzBlockScanner::blockStream(std::initializer_list<Stretch> stretches, quint32 crc) const
{
    quint64 length = 0;
    for (const Stretch &stretch : stretches)
        length += stretch.count;
    BitWriter bits(size_t(length / 8 + 32));
    bits.append(reinterpret_cast<const unsigned char *>("BZh"), 0, 24);
    bits.appendValue(quint64(quint8(m_level)), 8);
    for (const Stretch &stretch : stretches)
        bits.append(reinterpret_cast<const unsigned char *>(stretch.bytes), stretch.from, stretch.count);
    bits.appendValue(EndSignature, SignatureBits);
    bits.appendValue(crc, CrcBits);
    return bits.take();
}
