#pragma once

#include <QtGlobal>

#include <cstdio>
#include <initializer_list>
#include <vector>

// Cuts a bzip2 stream into its blocks without decoding them, so that the blocks can be
// decoded side by side. Blocks start with a 48-bit signature at any bit position; each
// stretch from one signature to the next becomes a stream of its own that libbzip2
// decodes alone. A signature can also turn up by chance inside compressed data: such a
// stretch fails to decode, and joined() puts it back together with its neighbour.
class PackageArchiveBzBlockScanner
{
public:
    struct Piece
    {
        std::vector<char> stream; // "BZh", the level, the stretch, an end marker carrying blockCrc
        quint64 bits = 0;         // the stretch's length, from its signature on
        quint32 blockCrc = 0;     // as stored behind the block signature
        bool endsStream = false;  // the end-of-stream signature follows the stretch
        quint32 streamCrc = 0;    // as stored behind that signature
        bool broken = false;      // no signature where one must be: the stream is damaged or cut short
    };

    // `start`: the stream's first bytes, already read from `file`: the header, then at
    // least the first block signature.
    PackageArchiveBzBlockScanner(FILE *file, const unsigned char *start, size_t length);

    // The next stretch. After one that ends the stream it goes on past that signature,
    // which is only ever asked for when the signature proved to be chance.
    Piece next();
    Piece joined(const Piece &first, const Piece &second) const;

private:
    Piece cutAt(quint64 bit);
    void readMore();
    quint32 bitsAt(quint64 bit, int count) const;
    struct Stretch
    {
        const void *bytes;
        quint64 from, count; // in bits
    };
    // A stream holding the stretches as one block, closed by an end marker whose checksum,
    // for a single block, is that block's own.
    std::vector<char> blockStream(std::initializer_list<Stretch> stretches, quint32 crc) const;

    FILE *m_file;
    char m_level;
    quint64 m_longestBlock; // in bits
    std::vector<unsigned char> m_buffer; // the current stretch and what was read behind it, then zeros
    size_t m_valid = 0;                  // bytes of m_buffer read from the stream
    quint64 m_pieceStart = 32;           // bit of m_buffer where the current stretch's signature starts
    size_t m_scan = 5;                   // the next byte of m_buffer where a signature may start
    bool m_atEnd = false;
    bool m_broken = false;
};
