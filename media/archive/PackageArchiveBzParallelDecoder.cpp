#include "media/archive/PackageArchiveBzParallelDecoder.h"

#include "app/core/HException.h"

#include <algorithm>
#include <bzlib.h>
#include <cstdlib>
#include <cstring>

namespace {
constexpr size_t ChunkSize = 256 * 1024;
// A job holds back this much output until its block has decoded whole (so that a block
// cut at a chance signature can still be joined and decoded again); beyond it the
// output is passed on, and the worker waits for the reader to take it.
constexpr size_t HeldOutput = 1024 * 1024;
constexpr unsigned MostWorkers = 4;

[[noreturn]] void damaged()
{
    throw HException("error reading from compressed stream");
}

// Keeps libbzip2's largest allocation (the block-sized table) for the worker's next block:
// handing it back to the system after every block costs page faults, and letting the
// allocator keep it costs more resident memory than the table itself.
struct TableCache
{
    void *table = nullptr;
    size_t size = 0;
    bool inUse = false;

    ~TableCache() { std::free(table); }

    static void *allocate(void *opaque, int items, int itemSize)
    {
        auto *cache = static_cast<TableCache *>(opaque);
        const size_t size = size_t(items) * size_t(itemSize);
        if (size >= (1u << 20) && !cache->inUse) {
            if (cache->size != size) {
                std::free(cache->table);
                cache->table = std::malloc(size);
                cache->size = cache->table ? size : 0;
            }
            cache->inUse = cache->table != nullptr;
            if (cache->inUse)
                return cache->table;
        }
        return std::malloc(size);
    }

    static void release(void *opaque, void *memory)
    {
        auto *cache = static_cast<TableCache *>(opaque);
        if (memory && memory == cache->table)
            cache->inUse = false;
        else
            std::free(memory);
    }
};
} // namespace

struct PackageArchiveBzParallelDecoder::Job
{
    explicit Job(PiecePointer from) : piece(std::move(from)) {}

    const PiecePointer piece;
    std::deque<std::vector<char>> output;
    size_t buffered = 0;
    bool finished = false;  // the block decoded whole and checked
    bool failed = false;
    bool cancelled = false; // the reader dropped it
    bool streaming = false; // the reader has taken output before the block was checked
    std::exception_ptr error;
};

PackageArchiveBzParallelDecoder::PackageArchiveBzParallelDecoder(FILE *file, const unsigned char *start,
                                                                 size_t length)
    : m_scanner(file, start, length)
{
    const unsigned workers = std::clamp(std::thread::hardware_concurrency(), 1u, MostWorkers);
    // The job being read, and one decoding on every worker.
    m_window = workers + 1;
    try {
        for (unsigned i = 0; i < workers; ++i)
            m_workers.emplace_back([this] { work(); });
    } catch (...) {
        stop();
        throw;
    }
}

PackageArchiveBzParallelDecoder::~PackageArchiveBzParallelDecoder()
{
    stop();
}

void PackageArchiveBzParallelDecoder::stop() noexcept
{
    try {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_stopping = true;
        }
        m_workerWake.notify_all();
        for (std::thread &worker : m_workers) {
            if (worker.joinable())
                worker.join();
        }
    } catch (...) {
        // Joining can only fail for a thread that is gone already.
    }
}

qint64 PackageArchiveBzParallelDecoder::read(char *buffer, qint64 length)
{
    if (m_failed)
        damaged();
    qint64 delivered = 0;
    try {
        while (delivered < length) {
            if (m_chunkUsed == m_chunk.size()) {
                if (!nextChunk())
                    break;
                continue;
            }
            const size_t count = size_t(std::min<qint64>(length - delivered, qint64(m_chunk.size() - m_chunkUsed)));
            std::memcpy(buffer + delivered, m_chunk.data() + m_chunkUsed, count);
            m_chunkUsed += count;
            delivered += qint64(count);
        }
    } catch (...) {
        m_failed = true;
        throw;
    }
    return delivered;
}

bool PackageArchiveBzParallelDecoder::nextChunk()
{
    while (!m_ended) {
        schedule();
        if (m_jobs.empty())
            damaged();
        const JobPointer job = m_jobs.front();
        if (job->piece->broken)
            damaged();
        std::unique_lock<std::mutex> lock(m_mutex);
        m_readerWake.wait(lock, [&] {
            return job->finished || job->failed || m_workerFault
                || (!job->output.empty() && (job->streaming || job->buffered >= HeldOutput));
        });
        if (m_workerFault)
            std::rethrow_exception(m_workerFault);
        if (job->failed) {
            if (job->error)
                std::rethrow_exception(job->error);
            if (job->streaming)
                damaged();
            lock.unlock();
            retryJoined();
            continue;
        }
        if (!job->output.empty()) {
            if (m_chunk.capacity() >= ChunkSize && m_spare.size() < m_window)
                m_spare.push_back(std::move(m_chunk));
            m_chunk = std::move(job->output.front());
            m_chunkUsed = 0;
            job->output.pop_front();
            job->buffered -= m_chunk.size();
            job->streaming = job->streaming || !job->finished;
            lock.unlock();
            m_workerWake.notify_all();
            return true;
        }
        lock.unlock();
        m_jobs.pop_front();
        m_combinedCrc = (m_combinedCrc << 1 | m_combinedCrc >> 31) ^ job->piece->blockCrc;
        if (job->piece->endsStream) {
            if (m_combinedCrc != job->piece->streamCrc)
                damaged();
            m_ended = true;
        }
    }
    return false;
}

void PackageArchiveBzParallelDecoder::schedule()
{
    while (!m_scanPaused && m_jobs.size() < m_window) {
        const PiecePointer piece = std::make_shared<const PackageArchiveBzBlockScanner::Piece>(m_scanner.next());
        m_scanPaused = piece->endsStream || piece->broken;
        enqueue(piece);
    }
}

void PackageArchiveBzParallelDecoder::enqueue(const PiecePointer &piece)
{
    m_jobs.push_back(std::make_shared<Job>(piece));
    if (piece->broken) // the reader reports it when it gets there
        return;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_queue.push_back(m_jobs.back());
    }
    m_workerWake.notify_one();
}

// The first job's block did not decode: most likely it ends at a signature that turned up
// by chance, so it is joined to the next stretch and everything behind it goes through the
// workers again in order (a worker may be waiting on a later job for the reader to drain
// it). Real damage ends here too, once the joined stretch outgrows any block.
void PackageArchiveBzParallelDecoder::retryJoined()
{
    std::vector<PiecePointer> pieces;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        for (const JobPointer &job : m_jobs) {
            job->cancelled = true;
            pieces.push_back(job->piece);
        }
        m_queue.clear();
    }
    m_workerWake.notify_all();
    m_jobs.clear();
    PiecePointer second;
    if (pieces.size() > 1) {
        second = pieces[1];
        pieces.erase(pieces.begin() + 1);
    } else {
        second = std::make_shared<const PackageArchiveBzBlockScanner::Piece>(m_scanner.next());
        m_scanPaused = second->endsStream || second->broken;
    }
    pieces.front() = std::make_shared<const PackageArchiveBzBlockScanner::Piece>(m_scanner.joined(*pieces.front(), *second));
    if (pieces.front()->broken)
        damaged();
    for (const PiecePointer &piece : pieces)
        enqueue(piece);
}

void PackageArchiveBzParallelDecoder::work()
{
    TableCache tables;
    try {
        std::unique_lock<std::mutex> lock(m_mutex);
        for (;;) {
            m_workerWake.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
            if (m_stopping)
                return;
            const JobPointer job = m_queue.front();
            m_queue.pop_front();
            lock.unlock();
            decode(*job, &tables);
            lock.lock();
        }
    } catch (...) {
        // Only the locking itself can fail here; the reader must not wait for ever.
        try {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_workerFault = std::current_exception();
        } catch (...) {
        }
        m_readerWake.notify_all();
    }
}

// Output chunks go round between the workers and the reader rather than through the
// allocator, which would spread them over every thread's heap.
std::vector<char> PackageArchiveBzParallelDecoder::spareChunk()
{
    std::vector<char> chunk;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_spare.empty()) {
            chunk = std::move(m_spare.back());
            m_spare.pop_back();
        }
    }
    chunk.resize(ChunkSize);
    return chunk;
}

void PackageArchiveBzParallelDecoder::decode(Job &job, void *tables)
{
    bz_stream stream{};
    stream.bzalloc = TableCache::allocate;
    stream.bzfree = TableCache::release;
    stream.opaque = tables;
    bool decoded = false;
    std::exception_ptr error;
    try {
        if (BZ2_bzDecompressInit(&stream, 0, 0) != BZ_OK)
            throw HException("cannot initialise inflate");
        stream.next_in = const_cast<char *>(job.piece->stream.data());
        stream.avail_in = unsigned(job.piece->stream.size());
        for (;;) {
            std::vector<char> chunk = spareChunk();
            stream.next_out = chunk.data();
            stream.avail_out = unsigned(ChunkSize);
            const int status = BZ2_bzDecompress(&stream);
            const size_t produced = ChunkSize - stream.avail_out;
            // No progress means the stretch ended inside its block.
            if ((status != BZ_OK && status != BZ_STREAM_END) || (status == BZ_OK && produced == 0))
                break;
            chunk.resize(produced);
            std::unique_lock<std::mutex> lock(m_mutex);
            if (produced > 0) {
                job.buffered += produced;
                job.output.push_back(std::move(chunk));
            }
            if (status == BZ_STREAM_END) {
                decoded = true;
                break;
            }
            m_readerWake.notify_all();
            m_workerWake.wait(lock, [&] { return m_stopping || job.cancelled || job.buffered < HeldOutput; });
            if (m_stopping || job.cancelled)
                break;
        }
    } catch (...) {
        error = std::current_exception();
    }
    BZ2_bzDecompressEnd(&stream);
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        job.finished = decoded;
        job.failed = !decoded;
        job.error = error;
    }
    m_readerWake.notify_all();
}
