#include "wizard/pages/InstallHelpDialog.h"

#include "app/core/VariableTable.h"
#include "wizard/frame/WizardAccessibility.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace {

// Three bands in the product's colours, standing for the installer's three steps.
QPixmap threeColourLogo()
{
    QPixmap pixmap(50, 30);
    QPainter painter(&pixmap);
    painter.fillRect(0, 0, 50, 10, QColor(0x2f, 0x7d, 0xc8));
    painter.fillRect(0, 10, 50, 10, QColor(0xf5, 0xb0, 0x2e));
    painter.fillRect(0, 20, 50, 10, QColor(0x3a, 0x9a, 0x5b));
    return pixmap;
}

void addCentredRow(QVBoxLayout *layout, QWidget *widget)
{
    auto *row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(widget);
    row->addStretch();
    layout->addLayout(row);
}

QLabel *wrappedLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

} // namespace

InstallHelpDialog::InstallHelpDialog(InstallApplication *application)
    : InstallWizardDialog(application, QStringLiteral("Help"), QString(),
                          InstallWizardDialog::HelpFlag | InstallWizardDialog::NextDisabled)
{
    QVBoxLayout *layout = pageLayout();
    addCentredRow(layout, new QLabel(QStringLiteral("<b>Lanyard</b>"), this));
    auto *logo = new QLabel(this);
    logo->setPixmap(threeColourLogo());
    WizardAccessibility::markDecorative(logo);
    addCentredRow(layout, logo);
    addCentredRow(layout, new QLabel(expand(QStringLiteral(
                                         "Setup for $(Product) $(Version), made by Corvane.")),
                                     this));
    layout->addStretch();
    layout->addWidget(wrappedLabel(
        expand(QStringLiteral(
            "The installer will allow you to install, modify, repair or remove $(Product).")),
        this));
    layout->addWidget(wrappedLabel(
        QStringLiteral("<p>Click Next to step through each installer stage, click Back to move to "
                       "the previous installer stage and click Cancel to terminate the "
                       "installation."),
        this));
    layout->addStretch();
}
