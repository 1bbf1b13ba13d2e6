#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

class InstallConfigurationItem;
class QDomDocument;
class QDomNode;

// Writes a DOM document as text the way the installed-state record is expected to
// look: the document type line, one element per line indented by `indent` spaces per
// level, the usual escaping, and each element's attributes in a known order. The DOM
// itself forgets the order attributes were set in, so the order comes from here: for
// each tag name the attribute names in the order they are to appear; attributes not
// listed follow in alphabetical order.
class InstalledStateWriter
{
public:
    InstalledStateWriter() = default;

    void setAttributeOrder(const QString &tagName, const QStringList &attributeNames);
    // Records, for the class of every item in the subtree, its stored properties in
    // property order under the class name (the tag saveState() writes).
    void addItemClasses(const InstallConfigurationItem *root);
    QStringList attributeOrder(const QString &tagName) const;

    QString toString(const QDomDocument &document, int indent = 1) const;

private:
    void writeNode(QString &out, const QDomNode &node, int depth, int indent) const;

    QMap<QString, QStringList> m_orders;
};
