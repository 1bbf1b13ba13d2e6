#pragma once

#include <QString>
#include <exception>

// An installer step failed. The text is kept unexpanded: whoever shows it expands
// its $(Name) references at that moment.
class InstallException : public std::exception
{
public:
    explicit InstallException(QString message)
        : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}

    // What running out of memory anywhere becomes: a forged payload may ask for more than
    // there is, and that must end as a clean failure.
    static InstallException outOfMemory()
    {
        // No full stop: every report of a failure adds its own.
        return InstallException(QStringLiteral("Not enough memory to continue the installation"));
    }

    const QString &message() const noexcept { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};
