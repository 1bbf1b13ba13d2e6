#include "RecordingItem.h"

#include "app/core/InstallException.h"
#include "configuration/model/InstallConfigurationList.h"

RecordingItem::RecordingItem(InstallConfigurationItem *parent, const QString &name, int level,
                             QStringList *journal, bool visible, quint64 platforms)
    : InstallConfigurationItem(parent, name, QString(), level, visible, platforms),
      m_journal(journal)
{
}

void RecordingItem::doInstall()
{
    m_journal->append(QStringLiteral("install ") + name());
    if (!m_installFailure.isEmpty())
        throw InstallException(m_installFailure);
}

void RecordingItem::doUninstall()
{
    m_journal->append(QStringLiteral("uninstall ") + name());
    if (!m_uninstallFailure.isEmpty())
        throw InstallException(m_uninstallFailure);
}

void RecordingItem::doCheckInstalled()
{
    m_journal->append(QStringLiteral("check ") + name());
    setInstalled(m_foundState, false);
}

RunSignalJournal::RunSignalJournal(InstallConfigurationList *root, QStringList *journal)
    : m_journal(journal)
{
    connect(root, &InstallConfigurationList::starting, this, [this](InstallConfigurationItem *item) {
        m_journal->append(QStringLiteral("starting ") + item->name());
    });
    connect(root, &InstallConfigurationList::finished, this, [this](InstallConfigurationItem *item) {
        m_journal->append(QStringLiteral("finished ") + item->name());
    });
    connect(root, &InstallConfigurationList::skipped, this, [this](int count) {
        m_journal->append(QStringLiteral("skipped ") + QString::number(count));
    });
}

SelectionJournal::SelectionJournal(InstallConfigurationItem *root, QStringList *journal)
    : m_journal(journal)
{
    watch(root);
}

void SelectionJournal::watch(InstallConfigurationItem *item)
{
    connect(item, &InstallConfigurationItem::willInstallChanged, this, [this, item](int value) {
        m_journal->append(item->name() + QLatin1Char('=') + QString::number(value));
    });
    for (InstallConfigurationItem *child : item->children())
        watch(child);
}
