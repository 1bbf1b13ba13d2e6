#pragma once

#include "media/archive/PackageArchiveBzBlockScanner.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// Decodes a bzip2 stream's blocks on worker threads, a few blocks ahead of the reader,
// and hands their output over in stream order. The installer reads its payload twice
// (checksum pass, then extraction), so single-threaded bzip2 would cost it twice what
// `tar -xjf` pays. Memory stays bounded: only a few blocks are in flight, and a block
// that expands a lot (long runs) is passed on while it is being decoded.
class PackageArchiveBzParallelDecoder
{
public:
    // Reads `file` on from behind `start` (see PackageArchiveBzBlockScanner); starts the
    // workers or throws std::system_error.
    PackageArchiveBzParallelDecoder(FILE *file, const unsigned char *start, size_t length);
    ~PackageArchiveBzParallelDecoder();

    // Fills the buffer; delivers less only when the stream has ended.
    qint64 read(char *buffer, qint64 length);

private:
    struct Job;
    using JobPointer = std::shared_ptr<Job>;
    using PiecePointer = std::shared_ptr<const PackageArchiveBzBlockScanner::Piece>;

    void work();
    void decode(Job &job, void *tables);
    std::vector<char> spareChunk();
    void enqueue(const PiecePointer &piece);
    void schedule();
    bool nextChunk();
    void retryJoined();
    void stop() noexcept;

    PackageArchiveBzBlockScanner m_scanner;
    size_t m_window = 0; // jobs in flight

    std::mutex m_mutex; // guards the jobs' state, m_queue, m_stopping and m_workerFault
    std::condition_variable m_workerWake, m_readerWake;
    std::deque<JobPointer> m_queue; // not yet taken by a worker, in stream order
    bool m_stopping = false;
    std::exception_ptr m_workerFault;
    std::vector<std::vector<char>> m_spare; // output chunks to be used again
    std::vector<std::thread> m_workers;

    // The reader's own state.
    std::deque<JobPointer> m_jobs; // in stream order
    std::vector<char> m_chunk;
    size_t m_chunkUsed = 0;
    quint32 m_combinedCrc = 0;
    bool m_scanPaused = false; // the last piece ends the stream, or the stream is damaged there
    bool m_ended = false;
    bool m_failed = false;
};
