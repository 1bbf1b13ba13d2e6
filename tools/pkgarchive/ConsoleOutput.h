#pragma once

#include <QByteArray>
#include <QString>

// Writes the tool's lines to standard output and standard error.
namespace ConsoleOutput {

void line(const QByteArray &text);
void line(const QString &text);
void error(const QByteArray &text);

} // namespace ConsoleOutput
