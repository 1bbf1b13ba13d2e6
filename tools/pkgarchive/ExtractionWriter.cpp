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
    m_changed.wait(lock, [&] {
        return !m_failure.isEmpty() || m_pendingBytes == 0 || m_pendingBytes + size + jobOverhead <= m_pendingLimit;
    });
    if (!m_failure.isEmpty())
        throw HException(m_failure);
}

void ExtractionWriter::enqueue(const PackageArchiveFile &file, QByteArray contents, QString destPath)
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_failure.isEmpty())
            throw HException(m_failure);
        m_pendingBytes += contents.size() + jobOverhead;
        m_jobs.push_back(Job{&file, std::move(contents), std::move(destPath)});
    }
    m_changed.notify_all();
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
    m_changed.wait(lock, [&] { return !m_failure.isEmpty() || (m_jobs.empty() && !m_busy); });
    return m_failure;
}

void ExtractionWriter::stop()
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_closing = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void ExtractionWriter::work()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [&] { return m_closing || !m_jobs.empty(); });
        if (m_jobs.empty() || !m_failure.isEmpty())
            return;
        Job job = std::move(m_jobs.front());
        m_jobs.pop_front();
        m_busy = true;
        lock.unlock();

        QByteArray failure;
        try {
            PackageArchive::writeFile(*job.file, job.contents, job.destPath, true);
        } catch (const HException &error) {
            failure = error.message();
        }
        const qint64 written = job.contents.size() + jobOverhead;
        job.contents.clear();

        lock.lock();
        m_busy = false;
        m_pendingBytes -= written;
        if (!failure.isEmpty())
            m_failure = failure;
        m_changed.notify_all();
        if (!m_failure.isEmpty())
            return;
    }
}
