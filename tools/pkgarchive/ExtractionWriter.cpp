#include "ExtractionWriter.h"

#include "app/core/HException.h"
#include "media/archive/PackageArchive.h"

namespace {

// What a waiting member costs beside its contents (its name, the buffers' headers, the
// queue's slot): counted too, so that a hundred thousand small members cannot pile up
// far beyond the limit.
constexpr qint64 jobOverhead = 320;

} // namespace

ExtractionWriter::ExtractionWriter(qint64 pendingLimit)
    : m_pendingLimit(pendingLimit)
    , m_thread(&ExtractionWriter::work, this)
{
}

ExtractionWriter::~ExtractionWriter()
{
    stop();
}

void ExtractionWriter::waitForRoom(qint64 size)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    const qint64 needed = size + jobOverhead;
    if (m_failure.isEmpty() && m_pendingBytes > 0 && m_pendingBytes + needed > m_pendingLimit) {
        // Waking for every member written would cost two thread switches a member:
        // wait until half the limit is free (or all of it, for a large member).
        waitUntilPendingAtMost(lock, std::max<qint64>(0, std::min(m_pendingLimit / 2, m_pendingLimit - needed)));
    }
    if (!m_failure.isEmpty())
        throw HException(m_failure);
}

void ExtractionWriter::enqueue(const PackageArchiveFile &file, QByteArray contents, QString destPath)
{
    bool wakeWriter = false;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_failure.isEmpty())
            throw HException(m_failure);
        m_pendingBytes += contents.size() + jobOverhead;
        m_jobs.push_back(Job{file, std::move(contents), std::move(destPath)});
        wakeWriter = m_writerIdle;
    }
    if (wakeWriter)
        m_workArrived.notify_one();
}

void ExtractionWriter::finish()
{
    const QByteArray failure = drain();
    if (!failure.isEmpty())
        throw HException(failure);
}

QByteArray ExtractionWriter::drain()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    waitUntilPendingAtMost(lock, 0);
    return m_failure;
}

void ExtractionWriter::waitUntilPendingAtMost(std::unique_lock<std::mutex> &lock, qint64 bytes)
{
    m_readerWaitsFor = bytes;
    m_roomFreed.wait(lock, [&] { return !m_failure.isEmpty() || m_pendingBytes <= bytes; });
    m_readerWaitsFor = -1;
}

void ExtractionWriter::stop()
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_closing = true;
    }
    m_workArrived.notify_one();
    if (m_thread.joinable())
        m_thread.join();
}

void ExtractionWriter::work()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_writerIdle = true;
        m_workArrived.wait(lock, [&] { return m_closing || !m_jobs.empty(); });
        m_writerIdle = false;
        if (m_jobs.empty() || !m_failure.isEmpty())
            return;
        Job job = std::move(m_jobs.front());
        m_jobs.pop_front();
        lock.unlock();

        QByteArray failure;
        try {
            PackageArchive::writeFile(job.file, job.contents, job.destPath, true);
        } catch (const HException &error) {
            failure = error.message();
        }
        // Counted until written, so that nothing pending means everything is on disk.
        const qint64 written = job.contents.size() + jobOverhead;
        job.contents.clear();

        lock.lock();
        m_pendingBytes -= written;
        if (!failure.isEmpty())
            m_failure = failure;
        if (m_readerWaitsFor >= 0 && (!m_failure.isEmpty() || m_pendingBytes <= m_readerWaitsFor))
            m_roomFreed.notify_one();
        if (!m_failure.isEmpty())
            return;
    }
}
