#include "wizard/pages/InstallProgressDialog.h"

#include "app/application/InstallApplication.h"
#include "configuration/model/InstallConfigurationList.h"
#include "wizard/frame/InstallSpacer.h"
#include "wizard/pages/StudioProgressBar.h"

#include <QCoreApplication>
#include <QLabel>
#include <QVBoxLayout>

namespace {

struct PhaseEntry
{
    int phase;
    const char *title;
    bool showCurrent;
};

constexpr PhaseEntry phaseTable[] = {
    {InstallProgressDialog::Installing, "Installing", true},
    {InstallProgressDialog::Removing, "Removing", true},
    {InstallProgressDialog::Repairing, "Repairing", true},
    {InstallProgressDialog::Upgrading, "Upgrading", true},
    {InstallProgressDialog::Checking, "Checking For Installed Components", false},
    {InstallProgressDialog::CheckingData, "Checking installation data", true},
};

int phaseTotal(int phase, const InstallConfigurationItem *root)
{
    if (!root)
        return 0;
    switch (phase) {
    case InstallProgressDialog::Installing:
        return root->countItems(InstallConfigurationItem::notInstalled, true)
               + root->countItems(InstallConfigurationItem::partiallyInstalled, true);
    case InstallProgressDialog::Removing:
        return root->countItems(InstallConfigurationItem::fullyInstalled, false)
               + root->countItems(InstallConfigurationItem::partiallyInstalled, false);
    case InstallProgressDialog::Repairing:
        return root->countItems(InstallConfigurationItem::notInstalled, true)
               + root->countItems(InstallConfigurationItem::partiallyInstalled, true)
               + root->countItems(InstallConfigurationItem::fullyInstalled, true);
    case InstallProgressDialog::Upgrading:
        return 2 * root->subtreeSize();
    case InstallProgressDialog::Checking:
        return root->subtreeSize();
    default:
        return 0;
    }
}

// The window is only redrawn when events are processed, and a run holds the event
// loop, so every item boundary lets the pending events through.
void letEventsThrough()
{
    QCoreApplication::processEvents();
}

} // namespace

InstallProgressDialog::InstallProgressDialog(InstallApplication *application,
                                             const QString &title, const QString &subtitle)
    : InstallWizardDialog(application, title, subtitle,
                          InstallWizardDialog::BackDisabled | InstallWizardDialog::NextDisabled),
      m_itemLabel(new QLabel(this)),
      m_taskLabel(new QLabel(this)),
      m_currentLabel(new QLabel(QStringLiteral("Current Progress"), this)),
      m_currentBar(new StudioProgressBar(this)),
      m_totalLabel(new QLabel(QStringLiteral("Total Progress"), this)),
      m_totalBar(new StudioProgressBar(this))
{
    QVBoxLayout *layout = pageLayout();
    layout->setSpacing(4);
    layout->addWidget(m_itemLabel);
    layout->addWidget(m_taskLabel);
    layout->addWidget(new InstallSpacer(this, 8, 0, QSizePolicy::Fixed, QSizePolicy::Fixed));
    layout->addWidget(m_currentLabel);
    layout->addWidget(m_currentBar);
    layout->addWidget(new InstallSpacer(this, 8, 0, QSizePolicy::Fixed, QSizePolicy::Fixed));
    layout->addWidget(m_totalLabel);
    layout->addWidget(m_totalBar);
    layout->addWidget(new InstallSpacer(this, 0, 0, QSizePolicy::Minimum, QSizePolicy::Expanding));
    // The bars are read out under their captions, the current one with the item it works on.
    m_currentBar->setAccessibleName(m_currentLabel->text());
    m_totalBar->setAccessibleName(m_totalLabel->text());

    if (application)
        followConfigurationList(application->configurationList());
}

void InstallProgressDialog::followConfigurationList(InstallConfigurationList *root)
{
    if (m_root)
        disconnect(m_root, nullptr, this, nullptr);
    m_root = root;
    if (!root)
        return;
    connect(root, &InstallConfigurationList::starting, this, &InstallProgressDialog::starting);
    connect(root, &InstallConfigurationList::finished, this, &InstallProgressDialog::finished);
    connect(root, &InstallConfigurationList::skipped, this, &InstallProgressDialog::skipped);
}

void InstallProgressDialog::starting(InstallConfigurationItem *item)
{
    ++m_completed;
    if (item) {
        m_itemLabel->setText(m_prefix + item->name());
        m_currentBar->setAccessibleDescription(m_itemLabel->text());
        // A check walk announces a parent once per child; one connection is enough.
        connect(item, &InstallConfigurationItem::totalSteps, this,
                &InstallProgressDialog::setTaskTotalSteps, Qt::UniqueConnection);
        connect(item, qOverload<int>(&InstallConfigurationItem::progress), this,
                &InstallProgressDialog::setTaskProgress, Qt::UniqueConnection);
        connect(item, qOverload<const QString &>(&InstallConfigurationItem::progress), this,
                &InstallProgressDialog::setTask, Qt::UniqueConnection);
    }
    letEventsThrough();
}

void InstallProgressDialog::finished(InstallConfigurationItem *item)
{
    if (item)
        disconnectItem(item);
    m_totalBar->setProgress(m_completed);
    m_currentBar->reset();
    m_itemLabel->clear();
    m_taskLabel->clear();
    m_currentBar->setAccessibleDescription(QString());
    letEventsThrough();
}

void InstallProgressDialog::skipped(int count)
{
    m_completed += count;
    m_totalBar->setProgress(m_completed);
    letEventsThrough();
}

void InstallProgressDialog::setConfigurationPrefix(const QString &prefix)
{
    m_prefix = prefix;
}

void InstallProgressDialog::setTask(const QString &)
{
    // The item's own step text is too fast to read; it only keeps the window alive,
    // which a few times a second does as well as once per file, at a fraction of the cost.
    constexpr qint64 eventPauseMs = 40;
    if (m_sinceEvents.isValid() && m_sinceEvents.elapsed() < eventPauseMs)
        return;
    m_sinceEvents.start();
    letEventsThrough();
}

void InstallProgressDialog::setTaskTotalSteps(int steps)
{
    m_currentBar->setTotalSteps(steps);
}

void InstallProgressDialog::setTaskProgress(int progress)
{
    m_currentBar->setProgress(progress);
}

void InstallProgressDialog::setMode(int phase)
{
    m_phase = phase;
    update();
}

void InstallProgressDialog::update()
{
    const PhaseEntry *entry = nullptr;
    for (const PhaseEntry &candidate : phaseTable) {
        if (candidate.phase == m_phase)
            entry = &candidate;
    }
    setTitle(entry ? QString::fromLatin1(entry->title) : QString(), QString());
    m_totalBar->setProgress(0);
    m_totalBar->setTotalSteps(phaseTotal(m_phase, m_root));
    if (entry)
        showCurrentProgress(entry->showCurrent);
    // The header shows the new title at once when this page is already on screen.
    emit stateChanged(this);
}

void InstallProgressDialog::showCurrentProgress(bool show)
{
    m_showCurrent = show;
    m_currentLabel->setVisible(show);
    m_currentBar->setVisible(show);
}

void InstallProgressDialog::showEvent(QShowEvent *event)
{
    m_completed = 0;
    update();
    InstallWizardDialog::showEvent(event);
}

void InstallProgressDialog::disconnectItem(InstallConfigurationItem *item)
{
    disconnect(item, &InstallConfigurationItem::totalSteps, this,
               &InstallProgressDialog::setTaskTotalSteps);
    disconnect(item, qOverload<int>(&InstallConfigurationItem::progress), this,
               &InstallProgressDialog::setTaskProgress);
    disconnect(item, qOverload<const QString &>(&InstallConfigurationItem::progress), this,
               &InstallProgressDialog::setTask);
}
