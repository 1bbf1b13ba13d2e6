#include "app/entry/DataFileByBytes.h"

#include <QString>

#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

DataFileByBytes::DataFileByBytes(int argc, char **argv)
{
    int valueIndex = 0; // the last one given counts
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--data-file") == 0)
            valueIndex = ++i;
    }
    const QByteArray name(valueIndex ? argv[valueIndex] : "");
    if (name.isEmpty() || QString::fromUtf8(name).toUtf8() == name)
        return;
    // Never blocks on a FIFO; anything but a regular file keeps its name and fails later
    // with the system's reason.
    const int descriptor = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat status {};
    if (descriptor >= 0 && ::fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode)) {
        m_descriptor = descriptor;
        m_descriptorPath = "/proc/self/fd/" + QByteArray::number(descriptor);
        argv[valueIndex] = m_descriptorPath.data();
    } else if (descriptor >= 0) {
        ::close(descriptor);
    }
}

DataFileByBytes::~DataFileByBytes()
{
    if (m_descriptor >= 0)
        ::close(m_descriptor);
}
