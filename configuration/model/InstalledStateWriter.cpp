#include "configuration/model/InstalledStateWriter.h"

#include "app/core/RecordText.h"
#include "configuration/model/InstallConfigurationItem.h"

#include <QDomDocument>
#include <QDomDocumentType>
#include <QDomElement>
#include <QDomNamedNodeMap>

#include <algorithm>

namespace {

// Escapes text the way the DOM's own writer does, so that a record written here reads
// back exactly as the DOM would have written it. Inside attribute values line breaks
// and tabs become character references, which keeps a string list's "\n" separators.
QString escaped(const QString &raw, bool inAttribute)
{
    const QString text = RecordText::encode(raw);
    QString out;
    out.reserve(text.size());
    for (qsizetype index = 0; index < text.size(); ++index) {
        const QChar c = text.at(index);
        switch (c.unicode()) {
        case u'<':
            out += QLatin1String("&lt;");
            break;
        case u'&':
            out += QLatin1String("&amp;");
            break;
        case u'"':
            out += inAttribute ? QLatin1String("&quot;") : QLatin1String("\"");
            break;
        case u'>':
            // Only "]]>" is forbidden in content; a lone '>' stays readable.
            if (index >= 2 && text.at(index - 1) == u']' && text.at(index - 2) == u']')
                out += QLatin1String("&gt;");
            else
                out += c;
            break;
        case u'\r':
            out += QLatin1String("&#xd;");
            break;
        case u'\n':
            out += inAttribute ? QLatin1String("&#xa;") : QLatin1String("\n");
            break;
        case u'\t':
            out += inAttribute ? QLatin1String("&#x9;") : QLatin1String("\t");
            break;
        default:
            out += c;
        }
    }
    return out;
}

QString quoted(const QString &text)
{
    const QChar quote = text.contains(u'\'') ? u'"' : u'\'';
    return quote + text + quote;
}

QString indentation(int depth, int indent)
{
    return QString(indent < 1 ? 0 : depth * indent, u' ');
}

bool isTextLike(const QDomNode &node)
{
    return node.isText(); // CDATA sections are text nodes too
}

} // namespace

void InstalledStateWriter::setAttributeOrder(const QString &tagName,
                                             const QStringList &attributeNames)
{
    m_orders.insert(tagName, attributeNames);
}

void InstalledStateWriter::addItemClasses(const InstallConfigurationItem *root)
{
    if (!root)
        return;
    const QMetaObject *meta = root->metaObject();
    const QString tag = QString::fromLatin1(meta->className());
    if (!m_orders.contains(tag))
        m_orders.insert(tag, InstallConfigurationItem::storedPropertyNames(meta));
    for (const InstallConfigurationItem *child : root->children())
        addItemClasses(child);
}

QStringList InstalledStateWriter::attributeOrder(const QString &tagName) const
{
    return m_orders.value(tagName);
}

QString InstalledStateWriter::toString(const QDomDocument &document, int indent) const
{
    QString out;
    bool typeWritten = false;
    for (QDomNode node = document.firstChild(); !node.isNull(); node = node.nextSibling()) {
        const bool isDeclaration = node.isProcessingInstruction()
            && node.toProcessingInstruction().target() == QLatin1String("xml");
        // The document type line follows the XML declaration, when there is one.
        if (!typeWritten && !isDeclaration) {
            writeNode(out, document.doctype(), 0, indent);
            typeWritten = true;
        }
        writeNode(out, node, 0, indent);
    }
    return out;
}

void InstalledStateWriter::writeNode(QString &out, const QDomNode &node, int depth,
                                     int indent) const
{
    const bool afterText = isTextLike(node.previousSibling());
    const bool beforeText = isTextLike(node.nextSibling());
    const QString lineEnd = indent == -1 ? QString() : QStringLiteral("\n");

    switch (node.nodeType()) {
    case QDomNode::DocumentTypeNode: {
        const QDomDocumentType type = node.toDocumentType();
        if (type.name().isEmpty())
            return;
        out += QLatin1String("<!DOCTYPE ") + type.name();
        if (!type.publicId().isNull()) {
            out += QLatin1String(" PUBLIC ") + quoted(type.publicId());
            if (!type.systemId().isNull())
                out += u' ' + quoted(type.systemId());
        } else if (!type.systemId().isNull()) {
            out += QLatin1String(" SYSTEM ") + quoted(type.systemId());
        }
        if (!type.internalSubset().isEmpty())
            out += QLatin1String(" [") + type.internalSubset() + u']';
        out += u'>' + lineEnd;
        return;
    }
    case QDomNode::ElementNode: {
        const QDomElement element = node.toElement();
        if (!afterText)
            out += indentation(depth, indent);
        out += u'<' + element.tagName();

        const QDomNamedNodeMap attributes = element.attributes();
        QStringList names;
        for (int index = 0; index < attributes.count(); ++index)
            names.append(attributes.item(index).nodeName());
        const QStringList order = m_orders.value(element.tagName());
        std::sort(names.begin(), names.end(), [&order](const QString &a, const QString &b) {
            const qsizetype rankA = order.indexOf(a);
            const qsizetype rankB = order.indexOf(b);
            if (rankA != rankB) {
                if (rankA < 0)
                    return false;
                if (rankB < 0)
                    return true;
                return rankA < rankB;
            }
            return a < b;
        });
        for (const QString &name : std::as_const(names))
            out += u' ' + name + QLatin1String("=\"") + escaped(element.attribute(name), true)
                + u'"';

        if (element.hasChildNodes()) {
            out += u'>';
            if (!isTextLike(element.firstChild()))
                out += lineEnd;
            for (QDomNode child = element.firstChild(); !child.isNull();
                 child = child.nextSibling())
                writeNode(out, child, depth + 1, indent);
            if (!isTextLike(element.lastChild()))
                out += indentation(depth, indent);
            out += QLatin1String("</") + element.tagName() + u'>';
        } else {
            out += QLatin1String("/>");
        }
        if (!beforeText)
            out += lineEnd;
        return;
    }
    case QDomNode::CDATASectionNode:
        out += QLatin1String("<![CDATA[")
            + node.nodeValue().replace(QLatin1String("]]>"), QLatin1String("]]]]><![CDATA[>"))
            + QLatin1String("]]>");
        return;
    case QDomNode::TextNode:
        out += escaped(node.nodeValue(), false);
        return;
    case QDomNode::CommentNode:
        if (!afterText)
            out += indentation(depth, indent);
        out += QLatin1String("<!--") + node.nodeValue();
        if (node.nodeValue().endsWith(u'-'))
            out += u' ';
        out += QLatin1String("-->");
        if (!beforeText)
            out += lineEnd;
        return;
    case QDomNode::ProcessingInstructionNode: {
        const QDomProcessingInstruction instruction = node.toProcessingInstruction();
        out += QLatin1String("<?") + instruction.target() + u' ' + instruction.data()
            + QLatin1String("?>") + lineEnd;
        return;
    }
    default:
        // Entity references and the like never occur in the records this writes.
        return;
    }
}
