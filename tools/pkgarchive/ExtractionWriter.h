#pragma once

#include <QByteArray>
#include <QString>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

class PackageArchiveFile;

// Writes extracted members to disk on a second thread, so that creating files
// overlaps with decompressing the next members. At most `pendingLimit` bytes wait
// or are being written at a time, except that a larger member is taken alone.
class ExtractionWriter
{
public:
    explicit ExtractionWriter(qint64 pendingLimit);
    ~ExtractionWriter();

    ExtractionWriter(const ExtractionWriter &) = delete;
    ExtractionWriter &operator=(const ExtractionWriter &) = delete;

    // Blocks until a member of `size` bytes may be read; throws the writer's first
    // failure once there is one.
    void waitForRoom(qint64 size);
    void enqueue(const PackageArchiveFile &file, QByteArray contents, QString destPath);
    // Waits until everything queued is written; throws the first failure.
    void finish();
    // Like finish, but never throws: used while another failure is on its way out.
    // Returns the writer's own failure, empty when there was none.
    QByteArray drain();

private:
    struct Job
    {
        const PackageArchiveFile *file;
        QByteArray contents;
        QString destPath;
    };

    void work();
    void stop();

    const qint64 m_pendingLimit;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Job> m_jobs;
    qint64 m_pendingBytes = 0;
    bool m_busy = false;
    bool m_closing = false;
    QByteArray m_failure;
    std::thread m_thread;
};
