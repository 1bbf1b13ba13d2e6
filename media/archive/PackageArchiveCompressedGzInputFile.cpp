#include "media/archive/PackageArchiveCompressedGzInputFile.h"

#include "app/core/HException.h"

#include <isa-l/igzip_lib.h>

#include <algorithm>
#include <limits>

PackageArchiveCompressedGzInputFile::PackageArchiveCompressedGzInputFile(FILE *stream)
    : PackageArchiveCompressedInputFile(stream), m_state(std::make_unique<inflate_state>()),
      m_input(InputBufferSize)
{
    begin();
}

PackageArchiveCompressedGzInputFile::~PackageArchiveCompressedGzInputFile()
{
    end();
}

void PackageArchiveCompressedGzInputFile::begin()
{
    isal_inflate_init(m_state.get());
    // The zlib wrapper: header parsed, Adler-32 trailer compared at the stream's end.
    m_state->crc_flag = ISAL_ZLIB;
    m_started = true;
    m_finished = false;
    resetPosition();
}

void PackageArchiveCompressedGzInputFile::end()
{
    m_started = false;
}

qint64 PackageArchiveCompressedGzInputFile::decompress(char *buffer, qint64 length)
{
    if (!m_started)
        throw HException("cannot initialise inflate");
    inflate_state &state = *m_state;
    qint64 delivered = 0;
    // The output count is 32 bits wide; very large reads go in slices.
    constexpr qint64 Slice = std::numeric_limits<uint32_t>::max();
    while (delivered < length && !m_finished) {
        const qint64 slice = std::min(length - delivered, Slice);
        state.next_out = reinterpret_cast<uint8_t *>(buffer + delivered);
        state.avail_out = uint32_t(slice);
        while (state.avail_out > 0) {
            // Decoded data may still wait inside the inflater when the input runs dry:
            // only a call that moves nothing at the file's end means the stream is cut.
            bool inputEnded = false;
            if (state.avail_in == 0) {
                const size_t got = std::fread(m_input.data(), 1, m_input.size(), stream());
                inputEnded = got == 0;
                state.next_in = m_input.data();
                state.avail_in = uint32_t(got);
            }
            const uint32_t outputBefore = state.avail_out;
            const uint32_t inputBefore = state.avail_in;
            if (isal_inflate(&state) != ISAL_DECOMP_OK)
                throw HException("error reading from compressed stream");
            if (state.block_state == ISAL_BLOCK_FINISH) {
                // Whatever follows the stream in the file is not ours to decode.
                m_finished = true;
                break;
            }
            if (inputEnded && state.avail_out == outputBefore && state.avail_in == inputBefore)
                throw HException("error reading stream");
        }
        delivered += slice - qint64(state.avail_out);
    }
    return delivered;
}
