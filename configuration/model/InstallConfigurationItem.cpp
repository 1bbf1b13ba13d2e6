#include "configuration/model/InstallConfigurationItem.h"

#include "app/run/InstallRun.h"
#include "app/core/InstallException.h"
#include "app/core/InstallUserCancelException.h"
#include "app/core/RecordText.h"
#include "app/core/VariableTable.h"
#include "app/queries/InstallQuestions.h"
#include "configuration/model/InstallConfigurationItemBuilder.h"
#include "configuration/model/InstallConfigurationList.h"

#include <QDomDocument>
#include <QDomElement>
#include <QMetaProperty>
#include <QVariant>

#include <algorithm>

namespace {

bool isRequiredLevel(int level)
{
    return level == 0 || level == 1;
}

bool isOptionalLevel(int level)
{
    return level == 3 || level == 4;
}

// True when the user asked to stop the run rather than skip the failed item. Nobody
// can answer a headless run: it ends with `failure`, saying what failed.
bool userWantsToTerminate(const QString &heading, const QString &message, const QString &failure)
{
    const int answer = InstallQuestions::current().ask(
            {heading, message, InstallQuestions::Yes | InstallQuestions::No, InstallQuestions::Yes, failure});
    return answer == InstallQuestions::Yes;
}

bool currentModeIs(InstallRun::Mode mode)
{
    const InstallRun *run = InstallRun::instance();
    return run && run->mode() == mode;
}

// The attribute text of one property value in the installed-state document.
QString attributeText(const QMetaProperty &property, const QVariant &value)
{
    if (property.metaType() == QMetaType::fromType<bool>())
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    if (property.metaType() == QMetaType::fromType<QStringList>())
        return value.toStringList().join(QLatin1Char('\n'));
    if (property.isEnumType()) {
        QVariant number = value;
        if (number.convert(QMetaType::fromType<int>()))
            return QString::number(number.toInt());
    }
    return value.toString();
}

// The property value an attribute text stands for, or an invalid variant when the
// text cannot be read as the property's type.
QVariant attributeValue(const QMetaProperty &property, const QString &text)
{
    if (property.metaType() == QMetaType::fromType<bool>())
        return QVariant(text == QLatin1String("true"));
    if (property.metaType() == QMetaType::fromType<QStringList>())
        return QVariant(text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n')));
    if (property.isEnumType()) {
        bool isNumber = false;
        int number = text.toInt(&isNumber);
        if (!isNumber) {
            // A hand-edited record may name the state instead of numbering it.
            number = property.enumerator().keyToValue(text.toLatin1().constData(), &isNumber);
            if (!isNumber)
                return QVariant();
        }
        QVariant value(number);
        if (!value.convert(property.metaType()))
            return QVariant();
        return value;
    }
    QVariant value(text);
    if (!value.convert(property.metaType()))
        return QVariant();
    return value;
}

} // namespace

InstallConfigurationItem::InstallConfigurationItem(InstallConfigurationItem *parent,
                                                   const QString &name,
                                                   const QString &description, int level,
                                                   bool visible, quint64 platforms)
    : QObject(parent),
      m_name(expand(name)),
      m_description(expand(description)),
      m_level(level),
      m_visible(visible),
      m_platforms(platforms),
      m_install(isRequiredLevel(level))
{
    if (parent)
        parent->m_children.append(this);
}

void InstallConfigurationItem::setOffer(int level, const QString &description)
{
    m_level = level;
    m_description = expand(description);
    m_install = isRequiredLevel(level);
}

InstallConfigurationItem::~InstallConfigurationItem()
{
    // QObject deletes the children after this body; they must not find themselves in
    // a list that is going away. An item deleted on its own leaves its parent's list.
    m_children.clear();
    if (InstallConfigurationItem *parent = parentItem())
        parent->m_children.removeAll(this);
}

bool InstallConfigurationItem::passesPlatformTest() const
{
    return (m_platforms & thisPlatform) != 0;
}

bool InstallConfigurationItem::isVisible() const
{
    return passesPlatformTest() && m_visible;
}

InstallConfigurationItem *InstallConfigurationItem::parentItem() const
{
    return qobject_cast<InstallConfigurationItem *>(parent());
}

InstallConfigurationItem *InstallConfigurationItem::rootItem() const
{
    const InstallConfigurationItem *item = this;
    while (InstallConfigurationItem *parent = item->parentItem())
        item = parent;
    return const_cast<InstallConfigurationItem *>(item);
}

InstallConfigurationList *InstallConfigurationItem::rootList() const
{
    return qobject_cast<InstallConfigurationList *>(rootItem());
}

void InstallConfigurationItem::emitStarting()
{
    if (InstallConfigurationList *root = rootList())
        emit root->starting(this);
}

void InstallConfigurationItem::emitFinished()
{
    if (InstallConfigurationList *root = rootList())
        emit root->finished(this);
}

void InstallConfigurationItem::emitSkipped(int count)
{
    if (InstallConfigurationList *root = rootList())
        emit root->skipped(count);
}

bool InstallConfigurationItem::willInstall() const
{
    if (!passesPlatformTest())
        return false;
    if (const InstallConfigurationItem *parent = parentItem(); parent && !parent->willInstall())
        return false;
    // Optional components follow the user's choice alone, whatever the mode.
    if (isOptionalLevel(m_level))
        return m_install;
    const InstallRun *run = InstallRun::instance();
    if (!run)
        return false;
    switch (run->mode()) {
    case InstallRun::Minimal:
        return m_level <= 0 && m_install;
    case InstallRun::Typical:
        return m_level <= 1 && m_install;
    case InstallRun::Full:
        return m_level <= 2 && m_install;
    case InstallRun::Custom:
    case InstallRun::Modify:
    case InstallRun::Repair:
    case InstallRun::Upgrade:
        return m_install;
    case InstallRun::Remove:
        return false;
    }
    return false;
}

bool InstallConfigurationItem::willUninstall() const
{
    if (!m_uninstall)
        return false;
    // Repair and upgrade take away everything removable before putting it back.
    if (currentModeIs(InstallRun::Repair) || currentModeIs(InstallRun::Upgrade))
        return true;
    return !willInstall();
}

bool InstallConfigurationItem::install()
{
    if (willInstall() && m_installed != fullyInstalled) {
        emitStarting();
        try {
            doInstall();
            setInstalled(fullyInstalled, false);
        } catch (const InstallException &failure) {
            const QString heading = m_name + QStringLiteral(" Installation Failed");
            const QString message = QStringLiteral("<p>The installation of the ") + m_name
                + QStringLiteral(" component has failed.</p><p>") + failure.message()
                + QStringLiteral(".</p><p>Do you want to terminate the installation?</p>"
                                 "<p>Click Yes to terminate installation or No to continue.</p>");
            const QString unanswered = QStringLiteral("The installation of the ") + m_name
                + QStringLiteral(" component has failed.<p>") + failure.message() + QLatin1Char('.');
            if (userWantsToTerminate(heading, message, unanswered))
                throw InstallUserCancelException();
        }
        emitFinished();
    }
    for (InstallConfigurationItem *child : std::as_const(m_children)) {
        if (!child->install())
            return false;
    }
    return true;
}

bool InstallConfigurationItem::uninstall()
{
    // Children go first, last one first, so that nothing is left inside a removed folder.
    for (auto child = m_children.crbegin(); child != m_children.crend(); ++child) {
        if (!(*child)->uninstall())
            return false;
    }
    if (m_installed == notInstalled || !willUninstall())
        return true;

    emitStarting();
    try {
        doUninstall();
        setInstalled(notInstalled, false);
    } catch (const InstallException &failure) {
        // A repair reinstalls the item right after, so a failed removal does no harm.
        if (!currentModeIs(InstallRun::Repair)) {
            const QString heading = m_name + QStringLiteral(" Removal Failed");
            const QString message = QStringLiteral("The removal of the ") + m_name
                + QStringLiteral(" component has failed.<p>") + failure.message()
                + QStringLiteral(".<p>Do you want to terminate the installation? "
                                 "Click Yes to terminate installation or No to continue.");
            const QString unanswered = QStringLiteral("The removal of the ") + m_name
                + QStringLiteral(" component has failed.<p>") + failure.message() + QLatin1Char('.');
            if (userWantsToTerminate(heading, message, unanswered))
                throw InstallUserCancelException();
        }
    }
    emitFinished();
    return true;
}

bool InstallConfigurationItem::checkInstalled()
{
    for (auto child = m_children.crbegin(); child != m_children.crend(); ++child) {
        emitStarting();
        const bool ok = (*child)->checkInstalled();
        emitFinished();
        if (!ok) {
            emitSkipped(subtreeSize() - 1);
            return false;
        }
    }
    doCheckInstalled();
    if (m_installed == notInstalled)
        return true;
    // Whatever is present stays selected, so that a later modify or repair keeps it.
    if (!m_install)
        setInstall(true, false);
    return true;
}

void InstallConfigurationItem::setInstall(bool install, bool recursive)
{
    if (install != m_install) {
        m_install = install;
        if (install) {
            for (InstallConfigurationItem *child : std::as_const(m_children)) {
                if (isRequiredLevel(child->level()))
                    child->setInstall(true, false);
            }
        }
        checkWillInstall();
    }
    if (recursive) {
        for (InstallConfigurationItem *child : std::as_const(m_children))
            child->setInstall(install, true);
    }
}

void InstallConfigurationItem::setInstall(bool install)
{
    setInstall(install, false);
}

void InstallConfigurationItem::setInstalled(InstalledState installed, bool recursive)
{
    m_installed = installed;
    if (recursive) {
        for (InstallConfigurationItem *child : std::as_const(m_children))
            child->setInstalled(installed, true);
    }
}

void InstallConfigurationItem::setInstalled(InstalledState installed)
{
    setInstalled(installed, false);
}

void InstallConfigurationItem::setUninstall(bool uninstall)
{
    m_uninstall = uninstall;
}

void InstallConfigurationItem::checkWillInstall()
{
    const int value = willInstall() ? 1 : 0;
    if (value == m_lastWillInstall)
        return;
    m_lastWillInstall = value;
    emit willInstallChanged(value);
    for (InstallConfigurationItem *child : std::as_const(m_children))
        child->checkWillInstall();
}

int InstallConfigurationItem::countItems(InstalledState state, bool willInstall) const
{
    int count = (m_installed == state && this->willInstall() == willInstall) ? 1 : 0;
    for (const InstallConfigurationItem *child : m_children)
        count += child->countItems(state, willInstall);
    return count;
}

int InstallConfigurationItem::subtreeSize() const
{
    int size = 1;
    for (const InstallConfigurationItem *child : m_children)
        size += child->subtreeSize();
    return size;
}

bool InstallConfigurationItem::hasTypicalOrFullItems() const
{
    if (m_level == 1 || m_level == 2)
        return true;
    return std::any_of(m_children.cbegin(), m_children.cend(),
                       [](const InstallConfigurationItem *child) {
                           return child->hasTypicalOrFullItems();
                       });
}

void InstallConfigurationItem::collectItems(const QString &className,
                                            QList<InstallConfigurationItem *> &list)
{
    if (inherits(className.toLatin1().constData()))
        list.append(this);
    for (InstallConfigurationItem *child : std::as_const(m_children))
        child->collectItems(className, list);
}

void InstallConfigurationItem::buildTree(InstallConfigurationItemBuilder &builder,
                                         void *parentNode, bool includeSelf)
{
    if (!isVisible())
        return;
    if (includeSelf)
        parentNode = builder.buildItem(parentNode, this);
    for (InstallConfigurationItem *child : std::as_const(m_children))
        child->buildTree(builder, parentNode, true);
}

QStringList InstallConfigurationItem::storedPropertyNames(const QMetaObject *metaObject)
{
    QStringList names;
    for (int index = 0; index < metaObject->propertyCount(); ++index) {
        const QMetaProperty property = metaObject->property(index);
        if (property.isStored())
            names.append(QString::fromLatin1(property.name()));
    }
    return names;
}

bool InstallConfigurationItem::saveState(QDomDocument &document, QDomElement &parentElement)
{
    const QMetaObject *meta = metaObject();
    QDomElement element = document.createElement(QString::fromLatin1(meta->className()));
    parentElement.appendChild(element);
    for (int index = 0; index < meta->propertyCount(); ++index) {
        const QMetaProperty property = meta->property(index);
        if (!property.isStored())
            continue;
        element.setAttribute(QString::fromLatin1(property.name()),
                             attributeText(property, property.read(this)));
    }
    for (InstallConfigurationItem *child : std::as_const(m_children)) {
        if (!child->saveState(document, element))
            return false;
    }
    return true;
}

bool InstallConfigurationItem::loadState(QDomDocument &document, QDomElement &element)
{
    const QMetaObject *meta = metaObject();
    if (element.tagName() != QLatin1String(meta->className()))
        return false;
    for (int index = 0; index < meta->propertyCount(); ++index) {
        const QMetaProperty property = meta->property(index);
        const QString name = QString::fromLatin1(property.name());
        if (!property.isStored() || !element.hasAttribute(name))
            continue;
        const QVariant value = attributeValue(property, RecordText::decode(element.attribute(name)));
        if (value.isValid())
            property.write(this, value);
    }
    if (!acceptLoadedState())
        return false;
    QDomNode node = element.firstChild();
    for (InstallConfigurationItem *child : std::as_const(m_children)) {
        if (node.isNull())
            return false;
        QDomElement childElement = node.toElement();
        if (!child->loadState(document, childElement))
            return false;
        node = node.nextSibling();
    }
    return true;
}

void InstallConfigurationItem::doInstall() {}

void InstallConfigurationItem::doUninstall() {}

void InstallConfigurationItem::doCheckInstalled() {}

void InstallConfigurationItem::emitTotalSteps(int steps)
{
    emit totalSteps(std::max(steps, 2));
}

void InstallConfigurationItem::emitProgressBytes(quint64 bytes)
{
    emit progress(static_cast<int>(bytes / 1024));
}
