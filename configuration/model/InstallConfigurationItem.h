#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class InstallConfigurationItemBuilder;
class InstallConfigurationList;
class QDomDocument;
class QDomElement;


// One node of the tree that describes everything the installer does to the machine.
// The node itself is a group; subclasses supply their own action through doInstall(),
// doUninstall() and doCheckInstalled(), while this class decides when those run, what
// the root announces around them and how a failure is put to the user.
class InstallConfigurationItem : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool install READ willInstall WRITE setInstall STORED true)
    Q_PROPERTY(InstalledState installed READ installed WRITE setInstalled STORED true)

public:
    enum InstalledState { notInstalled = 0, partiallyInstalled = 1, fullyInstalled = 2 };
    Q_ENUM(InstalledState)

    // Every item of this installer exists on every platform; the running installer's
    // own bit is thisPlatform.
    static constexpr quint64 allPlatforms = 0xFFFFFFFFu;
    static constexpr quint64 thisPlatform = 0x10000u;

    InstallConfigurationItem(InstallConfigurationItem *parent, const QString &name,
                             const QString &description, int level, bool visible,
                             quint64 platforms = allPlatforms);
    ~InstallConfigurationItem() override;

    QString name() const { return m_name; }
    QString description() const { return m_description; }
    int level() const { return m_level; }
    InstalledState installed() const { return m_installed; }
    quint64 platforms() const { return m_platforms; }
    // Platform test passed and the item asks to be shown.
    bool isVisible() const;
    // The stored selection, without the mode, level and parent rules of willInstall().
    bool isSelected() const { return m_install; }
    bool isUninstallable() const { return m_uninstall; }

    InstallConfigurationItem *parentItem() const;
    InstallConfigurationItem *rootItem() const;
    const QList<InstallConfigurationItem *> &children() const { return m_children; }

    bool willInstall() const;
    bool willUninstall() const;

    int countItems(InstalledState state, bool willInstall) const;
    int subtreeSize() const;
    bool hasTypicalOrFullItems() const;
    // Appends every item of the subtree (this one first, depth first) whose class is
    // className or derives from it.
    void collectItems(const QString &className, QList<InstallConfigurationItem *> &list);
    void buildTree(InstallConfigurationItemBuilder &builder, void *parentNode, bool includeSelf);

    bool saveState(QDomDocument &document, QDomElement &parentElement);
    bool loadState(QDomDocument &document, QDomElement &element);

    // The names of the stored properties of a class, in property order (objectName
    // first): the attributes saveState() writes for an item of that class.
    static QStringList storedPropertyNames(const QMetaObject *metaObject);

signals:
    void totalSteps(int steps);
    void progress(int step);
    void progress(const QString &string);
    void willInstallChanged(int install);

public slots:
    bool install();
    bool uninstall();
    bool checkInstalled();
    void setInstall(bool install, bool recursive);
    void setInstall(bool install);
    void setInstalled(InstallConfigurationItem::InstalledState installed, bool recursive);
    void setInstalled(InstallConfigurationItem::InstalledState installed);
    void setUninstall(bool uninstall);
    // For items whose offer depends on how the installer was started.
    void setOffer(int level, const QString &description);
    void checkWillInstall();

protected:
    virtual void doInstall();
    virtual void doUninstall();
    virtual void doCheckInstalled();
    // After loadState() has set the stored properties from a record: false refuses the
    // record (a record is data someone else may have written), and the item forgets
    // what it read, so that nothing of a refused record is ever acted on.
    virtual bool acceptLoadedState() { return true; }

    // Never announces fewer than two steps, so a bar always moves from start to end.
    void emitTotalSteps(int steps);
    // Progress is counted in KiB.
    void emitProgressBytes(quint64 bytes);

private:
    bool passesPlatformTest() const;
    InstallConfigurationList *rootList() const;
    void emitStarting();
    void emitFinished();
    void emitSkipped(int count);

    QString m_name;
    QString m_description;
    qint32 m_level;
    bool m_visible;
    quint64 m_platforms;
    QList<InstallConfigurationItem *> m_children;
    bool m_install;
    bool m_uninstall = true;
    InstalledState m_installed = notInstalled;
    qint32 m_lastWillInstall = -1;
};
