#pragma once

#include <QString>

// The lock that lets one installer run at a time: an flock on a file in a folder only
// the running user can write. Taking it is one atomic step, so two installers started at
// the same moment can never both hold it, and the kernel lets go of it when its holder
// ends however it ends, so there is no stale lock to guess about. Whatever stands at the
// name that is not this user's regular file is moved aside, never obeyed.
class InstanceLock
{
public:
    enum Outcome { Taken, HeldElsewhere, Unavailable };

    explicit InstanceLock(const QString &path);
    ~InstanceLock();
    InstanceLock(const InstanceLock &) = delete;
    InstanceLock &operator=(const InstanceLock &) = delete;

    Outcome tryLock();
    bool isLocked() const { return m_descriptor >= 0; }
    // Removes the file while still holding it, then lets go.
    void unlock();

private:
    QByteArray m_path;
    int m_descriptor = -1;
};

// Moves whatever stands at `path` out of the way: removed, or renamed aside.
void moveAside(const QByteArray &path);
