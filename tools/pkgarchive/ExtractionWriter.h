#pragma once

#include "media/archive/PackageArchiveFile.h"

#include <QByteArray>
#include <QString>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>


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
        PackageArchiveFile file;
        QByteArray contents;
        QString destPath;
    };

    void work();
    void stop();
    // With the lock held: until at most `bytes` wait or are being written, or a failure.
    void waitUntilPendingAtMost(std::unique_lock<std::mutex> &lock, qint64 bytes);

    const qint64 m_pendingLimit;
    std::mutex m_mutex;
    std::condition_variable m_workArrived;
    std::condition_variable m_roomFreed;
    std::deque<Job> m_jobs;
    qint64 m_pendingBytes = 0;
    qint64 m_readerWaitsFor = -1; // what the reader waits for pending bytes to fall to
    bool m_writerIdle = false;
    bool m_closing = false;
    QByteArray m_failure;
    std::thread m_thread;
};
