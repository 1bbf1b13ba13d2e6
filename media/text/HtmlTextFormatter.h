#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

class QDomNode;

// Turns an XHTML document into terminal text: line breaks, paragraph spacing,
// "> " quoting and preformatted blocks survive, running text is wrapped at the
// width. The licence dialogue shows the embedded agreement through it.
class HtmlTextFormatter
{
public:
    enum ElementClass { LineBreak, Blockquote, Div, Heading, Pre, Plain };

    HtmlTextFormatter();

    // Columns per line; below 1 leaves lines unwrapped.
    void setWidth(int columns);
    int width() const;
    // Line breaks owed after a block of this class (before one, for headings).
    void setSpacing(ElementClass elementClass, int breaks);
    int spacing(ElementClass elementClass) const;

    // The body's text as lines joined by "\n". A document that does not parse or has
    // no body gives an empty string, and the reason in errorText when asked for.
    QString render(const QString &html, QString *errorText = nullptr);

    static ElementClass classify(const QString &tagName);

private:
    void renderChildren(const QDomNode &parent);
    void renderElement(const QDomNode &element);
    void requestBreaks(int breaks);
    void newLine();
    void addText(const QString &text);
    void addWord(const QString &word);
    void putQuotePrefix();
    QString &currentLine();

    QStringList m_lines;
    int m_quoteDepth = 0;
    int m_preformattedDepth = 0;
    int m_pendingBreaks = 0;
    QMap<int, int> m_spacing;
    int m_width = -1;
};
