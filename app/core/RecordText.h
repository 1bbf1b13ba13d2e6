#pragma once

#include <QString>

// Text as the installation record stores it. XML 1.0 cannot hold most control
// characters (not even as character references), nor U+FFFE, U+FFFF or an unpaired
// surrogate; a record holding one would not parse, and its installation could be
// neither removed nor upgraded. Each such character is written as the private-use
// character U+E000 followed by four hexadecimal digits of its code unit (U+E000 itself
// likewise), and read back into the same text.
namespace RecordText {

QString encode(const QString &text);
QString decode(const QString &text);

} // namespace RecordText
