#include "app/core/RecordText.h"

namespace {

constexpr char16_t escapeMark = 0xE000;
constexpr int digits = 4;

bool isStorable(const QString &text, qsizetype index)
{
    const char16_t unit = text.at(index).unicode();
    if (unit == escapeMark || unit == 0xFFFE || unit == 0xFFFF)
        return false;
    if (unit < 0x20)
        return unit == u'\t' || unit == u'\n' || unit == u'\r';
    if (QChar::isHighSurrogate(unit))
        return index + 1 < text.size() && text.at(index + 1).isLowSurrogate();
    if (QChar::isLowSurrogate(unit))
        return index > 0 && text.at(index - 1).isHighSurrogate();
    return true;
}

} // namespace

namespace RecordText {

QString encode(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype index = 0; index < text.size(); ++index) {
        if (isStorable(text, index))
            out += text.at(index);
        else
            out += QChar(escapeMark) + QString::number(text.at(index).unicode(), 16).rightJustified(digits, u'0');
    }
    return out;
}

QString decode(const QString &text)
{
    if (!text.contains(QChar(escapeMark)))
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype index = 0; index < text.size(); ++index) {
        bool isNumber = false;
        const uint unit = text.mid(index + 1, digits).toUInt(&isNumber, 16);
        if (text.at(index) == QChar(escapeMark) && isNumber && index + digits < text.size()) {
            out += QChar(char16_t(unit));
            index += digits;
        } else {
            out += text.at(index);
        }
    }
    return out;
}

} // namespace RecordText
