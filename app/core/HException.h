#pragma once

#include <QByteArray>
#include <exception>

// The archive layer's and the framework's failures: a short lower-case byte string
// that copy-files mode prints after "error: ".
class HException : public std::exception
{
public:
    explicit HException(QByteArray message) : m_message(std::move(message)) {}
    explicit HException(const char *message) : m_message(message) {}

    const QByteArray &message() const noexcept { return m_message; }
    const char *what() const noexcept override { return m_message.constData(); }

private:
    QByteArray m_message;
};
