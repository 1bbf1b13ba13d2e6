#include "wizard/frame/InstallCheckMessageBox.h"

#include "app/application/InstallApplication.h"
#include "app/core/VariableTable.h"
#include "resources/ProductImages.h"
#include "wizard/frame/InstallPushButton.h"
#include "wizard/frame/InstallWizard.h"
#include "wizard/frame/WizardAccessibility.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

namespace {

struct ButtonEntry
{
    int id;
    const char *text;
};

// In the order the buttons appear, left to right.
constexpr ButtonEntry buttonTable[] = {
    {InstallCheckMessageBox::Yes, "&Yes"},
    {InstallCheckMessageBox::YesToAll, "Yes to &All"},
    {InstallCheckMessageBox::Ok, "&OK"},
    {InstallCheckMessageBox::Retry, "&Retry"},
    {InstallCheckMessageBox::No, "&No"},
    {InstallCheckMessageBox::NoToAll, "No to A&ll"},
    {InstallCheckMessageBox::Ignore, "&Ignore"},
    {InstallCheckMessageBox::IgnoreAll, "I&gnore All"},
    {InstallCheckMessageBox::Cancel, "&Cancel"},
};

QSpacerItem *expandingGap()
{
    return new QSpacerItem(10, 0, QSizePolicy::Expanding, QSizePolicy::Minimum);
}

// The application's main widget: the outer window when there is one, else the wizard.
// A box tied to it stays above it and goes with it.
QWidget *dialogParent()
{
    const InstallApplication *application = InstallApplication::instance();
    if (!application)
        return nullptr;
    if (QWidget *outer = application->mainWindow())
        return outer->window();
    if (QWidget *wizard = application->wizard())
        return wizard->window();
    return nullptr;
}

} // namespace

InstallCheckMessageBox::InstallCheckMessageBox(const QString &heading, const QString &message,
                                               int buttons, int defaultButton, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                          | Qt::WindowSystemMenuHint)
{
    setObjectName(QStringLiteral("install-check-message-box"));
    setModal(true);
    setWindowTitle(expand(QStringLiteral("$(Product) $(Version) Setup")));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(7, 7, 7, 7);
    layout->setSpacing(4);

    const QPixmap logo = ProductImages::installerLogo();
    auto *headingRow = new QHBoxLayout;
    auto *logoLabel = new QLabel(this);
    logoLabel->setPixmap(logo);
    WizardAccessibility::markDecorative(logoLabel);
    headingRow->addWidget(logoLabel);
    headingRow->addSpacerItem(expandingGap());
    auto *headingLabel = new QLabel(expand(heading), this);
    QFont bold = headingLabel->font();
    bold.setWeight(QFont::Bold);
    headingLabel->setFont(bold);
    headingRow->addWidget(headingLabel);
    headingRow->addSpacerItem(expandingGap());
    // Balances the logo so the heading sits in the middle of the box.
    headingRow->addSpacerItem(
        new QSpacerItem(logo.deviceIndependentSize().toSize().width(), 0, QSizePolicy::Fixed, QSizePolicy::Minimum));
    layout->addLayout(headingRow);
    layout->addSpacerItem(new QSpacerItem(300, 10, QSizePolicy::Fixed, QSizePolicy::Fixed));

    // A system's reason stands on the line under the message it explains.
    auto *messageLabel = new QLabel(expand(message).replace(QLatin1Char('\n'), QLatin1String("<br>")), this);
    messageLabel->setTextFormat(Qt::RichText);
    messageLabel->setAlignment(Qt::AlignCenter);
    messageLabel->setWordWrap(true);
    layout->addWidget(messageLabel);
    layout->addSpacerItem(new QSpacerItem(0, 20, QSizePolicy::Minimum, QSizePolicy::Expanding));

    auto *buttonRow = new QHBoxLayout;
    buttonRow->addSpacerItem(expandingGap());
    for (const ButtonEntry &entry : buttonTable) {
        if (!(buttons & entry.id))
            continue;
        auto *button = new InstallPushButton(QString::fromLatin1(entry.text), this);
        button->setProperty("buttonId", entry.id);
        const int id = entry.id;
        connect(button, &QPushButton::clicked, this, [this, id] { buttonClicked(id); });
        buttonRow->addWidget(button);
        m_buttons.append(button);
    }
    buttonRow->addSpacerItem(expandingGap());
    layout->addLayout(buttonRow);

    if (QPushButton *preferred = button(defaultButton)) {
        preferred->setDefault(true);
        preferred->setFocus(Qt::OtherFocusReason);
    }

    adjustSize();
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move((area.left() + area.right()) / 2 - width() / 2,
             (area.top() + area.bottom()) / 2 - height() / 2);
    }
}

int InstallCheckMessageBox::exec(const QString &heading, const QString &message, int buttons,
                                 int defaultButton)
{
    return InstallQuestions::current().ask(heading, message, buttons, defaultButton);
}

int InstallCheckMessageBox::showModal(const QString &heading, const QString &message, int buttons,
                                      int defaultButton)
{
    InstallCheckMessageBox box(heading, message, buttons, defaultButton, dialogParent());
    return box.exec();
}

int InstallCheckMessageBox::exec(const QString &heading, const QString &message,
                                 int defaultButton)
{
    return exec(heading, message, YesNoAllCancel, defaultButton);
}

QString InstallCheckMessageBox::buttonText(int button)
{
    for (const ButtonEntry &entry : buttonTable) {
        if (entry.id == button)
            return QString::fromLatin1(entry.text);
    }
    return QString();
}

QPushButton *InstallCheckMessageBox::button(int id) const
{
    for (QPushButton *candidate : m_buttons) {
        if (candidate->property("buttonId").toInt() == id)
            return candidate;
    }
    return nullptr;
}

void InstallCheckMessageBox::buttonClicked(int id)
{
    done(id);
}

void InstallCheckMessageBox::reject()
{
    // Escape or the window's close button: answer as the most cautious button offered;
    // a box that offers neither stays until a button is pressed.
    for (const int cautious : {int(Cancel), int(No)}) {
        if (button(cautious)) {
            buttonClicked(cautious);
            return;
        }
    }
    if (m_buttons.size() == 1)
        buttonClicked(m_buttons.first()->property("buttonId").toInt());
}
