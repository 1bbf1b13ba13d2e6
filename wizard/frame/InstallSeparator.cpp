#include "wizard/frame/InstallSeparator.h"

#include "wizard/frame/WizardAccessibility.h"

#include <QFrame>
#include <QHBoxLayout>

InstallSeparator::InstallSeparator(QWidget *parent) : QWidget(parent)
{
    setFixedHeight(2);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addSpacerItem(new QSpacerItem(4, 0, QSizePolicy::Fixed, QSizePolicy::Minimum));
    auto *line = new QFrame(this);
    line->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    line->setLineWidth(1);
    row->addWidget(line);
    WizardAccessibility::markDecorative(this);
    WizardAccessibility::markDecorative(line);
    row->addSpacerItem(new QSpacerItem(4, 0, QSizePolicy::Fixed, QSizePolicy::Minimum));
}
