#pragma once

#include <QByteArray>

// A payload name that is not valid UTF-8 cannot travel through the program's strings
// unchanged. Such a "--data-file" value is opened here by its bytes, and argv names the
// open descriptor ("/proc/self/fd/N") instead, for as long as this object lives.
class DataFileByBytes
{
public:
    DataFileByBytes(int argc, char **argv);
    ~DataFileByBytes();
    DataFileByBytes(const DataFileByBytes &) = delete;
    DataFileByBytes &operator=(const DataFileByBytes &) = delete;

private:
    int m_descriptor = -1;
    QByteArray m_descriptorPath;
};
