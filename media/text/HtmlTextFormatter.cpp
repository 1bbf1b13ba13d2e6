#include "media/text/HtmlTextFormatter.h"

#include <QDomDocument>
#include <QDomElement>
#include <QDomNodeList>

#include <algorithm>

HtmlTextFormatter::HtmlTextFormatter()
{
    m_spacing.insert(Blockquote, 1);
    m_spacing.insert(Div, 1);
    m_spacing.insert(Heading, 2);
    m_spacing.insert(Pre, 1);
}

void HtmlTextFormatter::setWidth(int columns)
{
    m_width = columns;
}

int HtmlTextFormatter::width() const
{
    return m_width;
}

void HtmlTextFormatter::setSpacing(ElementClass elementClass, int breaks)
{
    m_spacing.insert(elementClass, breaks);
}

int HtmlTextFormatter::spacing(ElementClass elementClass) const
{
    return m_spacing.value(elementClass, 0);
}

HtmlTextFormatter::ElementClass HtmlTextFormatter::classify(const QString &tagName)
{
    const QString tag = tagName.toLower();
    if (tag == QLatin1String("br"))
        return LineBreak;
    if (tag == QLatin1String("blockquote"))
        return Blockquote;
    if (tag == QLatin1String("div"))
        return Div;
    if (tag == QLatin1String("h1") || tag == QLatin1String("h2") || tag == QLatin1String("h3")
        || tag == QLatin1String("h4") || tag == QLatin1String("h5"))
        return Heading;
    if (tag == QLatin1String("pre"))
        return Pre;
    return Plain;
}

QString HtmlTextFormatter::render(const QString &html, QString *errorText)
{
    QDomDocument document;
    QString parseError;
    int line = 0;
    int column = 0;
    if (!document.setContent(html, false, &parseError, &line, &column)) {
        if (errorText)
            *errorText = parseError + QLatin1String(" line: ") + QString::number(line)
                + QLatin1String(" column: ") + QString::number(column);
        return QString();
    }
    const QDomNode body = document.elementsByTagName(QStringLiteral("body")).item(0);
    if (body.isNull()) {
        if (errorText)
            *errorText = QStringLiteral("body element not found");
        return QString();
    }

    m_lines = QStringList(QString());
    m_quoteDepth = 0;
    m_preformattedDepth = 0;
    m_pendingBreaks = 0;
    renderChildren(body);
    return m_lines.join(QLatin1Char('\n'));
}

void HtmlTextFormatter::renderChildren(const QDomNode &parent)
{
    for (QDomNode node = parent.firstChild(); !node.isNull(); node = node.nextSibling()) {
        // The DOM makes CDATA sections a kind of text node; like comments they are not shown.
        if (node.isText() && !node.isCDATASection()) {
            const QString text = node.nodeValue();
            if (m_preformattedDepth < 1) {
                addText(QString(text).replace(QLatin1Char('\n'), QLatin1Char(' ')));
            } else {
                const QStringList pieces = text.split(QLatin1Char('\n'));
                for (const QString &piece : pieces) {
                    addText(piece);
                    newLine();
                }
            }
        } else if (node.isElement()) {
            renderElement(node);
        }
    }
}

void HtmlTextFormatter::renderElement(const QDomNode &element)
{
    switch (classify(element.toElement().tagName())) {
    case LineBreak:
        newLine();
        renderChildren(element);
        break;
    case Blockquote:
        newLine();
        ++m_quoteDepth;
        renderChildren(element);
        requestBreaks(spacing(Blockquote));
        --m_quoteDepth;
        break;
    case Div:
        requestBreaks(spacing(Div));
        renderChildren(element);
        break;
    case Heading:
        requestBreaks(spacing(Heading));
        newLine();
        renderChildren(element);
        break;
    case Pre:
        newLine();
        ++m_preformattedDepth;
        renderChildren(element);
        requestBreaks(spacing(Pre));
        --m_preformattedDepth;
        break;
    case Plain:
        renderChildren(element);
        break;
    }
}

void HtmlTextFormatter::requestBreaks(int breaks)
{
    m_pendingBreaks = std::max(m_pendingBreaks, breaks);
}

QString &HtmlTextFormatter::currentLine()
{
    return m_lines.last();
}

void HtmlTextFormatter::putQuotePrefix()
{
    if (m_quoteDepth >= 1)
        currentLine() = QString(m_quoteDepth, QLatin1Char('>')) + QLatin1Char(' ');
}

void HtmlTextFormatter::newLine()
{
    // A quoted line keeps its prefix even when nothing was written on it, so a quoted
    // block shows as one block in the terminal.
    if (currentLine().isEmpty())
        putQuotePrefix();
    m_lines.append(QString());
}

void HtmlTextFormatter::addText(const QString &text)
{
    if (text.isEmpty())
        return;
    if (currentLine().isEmpty())
        putQuotePrefix();
    while (m_pendingBreaks >= 1) {
        newLine();
        putQuotePrefix();
        --m_pendingBreaks;
    }
    if (m_width < 1) {
        currentLine() += text;
        return;
    }
    const QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString &word : words)
        addWord(word);
}

void HtmlTextFormatter::addWord(const QString &word)
{
    QString &line = currentLine();
    if (line.isEmpty()) {
        line += word;
    } else if (line.length() + word.length() < m_width) {
        line += QLatin1Char(' ') + word;
    } else {
        m_lines.append(QString());
        putQuotePrefix();
        currentLine() += word;
    }
}
