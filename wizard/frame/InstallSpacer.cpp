#include "wizard/frame/InstallSpacer.h"

#include "wizard/frame/WizardAccessibility.h"

#include <QHBoxLayout>

InstallSpacer::InstallSpacer(QWidget *parent, int width, int height,
                             QSizePolicy::Policy horizontalPolicy,
                             QSizePolicy::Policy verticalPolicy)
    : QWidget(parent)
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addSpacerItem(new QSpacerItem(width, height, horizontalPolicy, verticalPolicy));
    WizardAccessibility::markDecorative(this);
}
