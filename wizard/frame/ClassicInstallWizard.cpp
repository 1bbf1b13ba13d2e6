#include "wizard/frame/ClassicInstallWizard.h"

#include "app/core/VariableTable.h"
#include "resources/ProductImages.h"
#include "wizard/frame/InstallPushButton.h"
#include "wizard/frame/InstallSeparator.h"
#include "wizard/frame/InstallWizardDialog.h"
#include "wizard/frame/WizardAccessibility.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

QFrame *makeHeader(QWidget *parent, QLabel *titleLabel, const QPixmap &logo)
{
    auto *header = new QFrame(parent);
    header->setStyleSheet(QStringLiteral("* { background-color: white; }"));
    header->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    header->setLineWidth(1);
    auto *row = new QHBoxLayout(header);
    row->setContentsMargins(2, 2, 2, 2);
    row->setSpacing(0);
    row->addSpacerItem(new QSpacerItem(10, 0, QSizePolicy::Fixed, QSizePolicy::Minimum));
    titleLabel->setParent(header);
    titleLabel->setMinimumWidth(400);
    titleLabel->setTextFormat(Qt::RichText);
    // A long subtitle wraps onto a second line rather than running under the logo; the
    // label takes the row's room, so a short one stays on one line.
    titleLabel->setWordWrap(true);
    row->addWidget(titleLabel, 1);
    row->addSpacerItem(new QSpacerItem(0, 0, QSizePolicy::Expanding, QSizePolicy::Minimum));
    auto *logoLabel = new QLabel(header);
    logoLabel->setPixmap(logo.isNull() ? ProductImages::installerLogo() : logo);
    WizardAccessibility::markDecorative(logoLabel);
    row->addWidget(logoLabel);
    return header;
}

void centreOnScreen(QWidget *window)
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    window->move((area.left() + area.right()) / 2 - window->width() / 2,
                 (area.top() + area.bottom()) / 2 - window->height() / 2);
}

void setButton(QPushButton *button, const QString &text, bool enabled)
{
    button->setText(text);
    button->setEnabled(enabled);
}

} // namespace

ClassicInstallWizard::ClassicInstallWizard(QWidget *parent, const QPixmap &logo)
    : InstallWizard(parent),
      m_titleLabel(new QLabel(this)),
      m_backButton(new InstallPushButton(QStringLiteral("Back"), this)),
      m_nextButton(new InstallPushButton(QStringLiteral("Next"), this)),
      m_cancelButton(new InstallPushButton(QStringLiteral("Cancel"), this))
{
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint);
    setWindowTitle(expand(QStringLiteral("$(Product) $(Version)$(AltArch) Setup")));
    setWindowIcon(ProductImages::windowIcon());

    // The size follows the font, so the pages keep their proportions at any font size.
    const int width = 110 * fontMetrics().averageCharWidth();
    setFixedSize(width, static_cast<int>(width / 1.618));
    setFocusPolicy(Qt::NoFocus);
    centreOnScreen(this);

    auto *main = new QVBoxLayout(this);
    main->setContentsMargins(0, 0, 0, 0);
    main->setSpacing(0);
    QFrame *header = makeHeader(this, m_titleLabel, logo);
    header->lower(); // screen readers read the window's parts in this order: header, page, buttons
    main->addWidget(header);
    main->addWidget(pageStack());
    main->addStretch();
    main->addSpacing(5);
    main->addWidget(new InstallSeparator(this));
    main->addSpacing(5);
    auto *buttons = new QHBoxLayout;
    buttons->setContentsMargins(3, 3, 3, 3);
    buttons->addSpacerItem(new QSpacerItem(0, 0, QSizePolicy::Expanding, QSizePolicy::Minimum));
    buttons->addWidget(m_backButton);
    buttons->addWidget(m_nextButton);
    buttons->addSpacerItem(new QSpacerItem(10, 0, QSizePolicy::Fixed, QSizePolicy::Minimum));
    buttons->addWidget(m_cancelButton);
    main->addLayout(buttons);
    main->addSpacing(5);

    connect(m_backButton, &QPushButton::clicked, this, &InstallWizard::onBackClicked);
    connect(m_nextButton, &QPushButton::clicked, this, &InstallWizard::onNextClicked);
    connect(m_cancelButton, &QPushButton::clicked, this, &InstallWizard::onCancelClicked);
    setFocusProxy(m_nextButton);
}

void ClassicInstallWizard::showDialog(InstallWizardDialog *dialog)
{
    InstallWizard::showDialog(dialog);
    chooseDefaultButton()->setFocus(Qt::OtherFocusReason);
}

InstallPushButton *ClassicInstallWizard::chooseDefaultButton()
{
    // Return goes to the most useful button still available.
    InstallPushButton *preferred = m_cancelButton;
    if (m_nextButton->isEnabled())
        preferred = m_nextButton;
    else if (m_backButton->isEnabled())
        preferred = m_backButton;
    for (InstallPushButton *button : {m_backButton, m_nextButton, m_cancelButton})
        button->setDefault(button == preferred);
    return preferred;
}

bool ClassicInstallWizard::focusNextPrevChild(bool next)
{
    // Next stands in for the frame when the window takes the focus; Qt's own Tab walk would
    // therefore stop at the frame, that is at Next, for ever and never reach Back. Tab walks
    // the page's controls as the eye reads them, then Back, Next and Cancel, round and round.
    const auto reachableByTab = [this](QWidget *widget) {
        return (widget->focusPolicy() & Qt::TabFocus) && !widget->focusProxy() && widget->isEnabled()
               && widget->isVisibleTo(this);
    };
    QList<QWidget *> reachable;
    if (InstallWizardDialog *page = currentDialog()) {
        for (QWidget *widget = page->nextInFocusChain(); widget != page; widget = widget->nextInFocusChain()) {
            if (page->isAncestorOf(widget) && reachableByTab(widget))
                reachable.append(widget);
        }
    }
    for (QWidget *button : std::initializer_list<QWidget *>{m_backButton, m_nextButton, m_cancelButton}) {
        if (reachableByTab(button))
            reachable.append(button);
    }
    if (reachable.isEmpty())
        return false;
    const qsizetype current = reachable.indexOf(focusWidget());
    const qsizetype count = reachable.size();
    const qsizetype target = current < 0 ? (next ? 0 : count - 1) : (current + (next ? 1 : count - 1)) % count;
    reachable[target]->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

void ClassicInstallWizard::keyPressEvent(QKeyEvent *event)
{
    // The frame is not a dialog, so Qt gives Return and Escape no meaning here: Return
    // presses the focused button or else the default one, Escape is the Cancel button.
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (plain && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        auto *focused = qobject_cast<QAbstractButton *>(focusWidget());
        const bool pressFocused = focused && !focused->isCheckable() && isAncestorOf(focused);
        QAbstractButton *target = pressFocused ? focused : chooseDefaultButton();
        if (target->isEnabled())
            target->click();
        return;
    }
    if (plain && event->key() == Qt::Key_Escape) {
        if (m_cancelButton->isEnabled())
            m_cancelButton->click();
        return;
    }
    InstallWizard::keyPressEvent(event);
}

void ClassicInstallWizard::updateDialog()
{
    const InstallWizardDialog *page = currentDialog();
    if (!page)
        return;
    // Expanded on every update: a folder chosen on one page shows in later headers.
    m_titleLabel->setText(expand(QStringLiteral("<b>") + page->title() + QStringLiteral("</b><p>")
                                 + page->subtitle() + QStringLiteral("</p>")));
    const int flags = page->flags();
    setButton(m_backButton, page->backLabel(), !(flags & InstallWizardDialog::BackDisabled));
    setButton(m_nextButton, page->nextLabel(), !(flags & InstallWizardDialog::NextDisabled));
    setButton(m_cancelButton, page->cancelLabel(), !(flags & InstallWizardDialog::CancelDisabled));
    // A page that enables Next on a choice (the licence) makes it the default at once.
    chooseDefaultButton();
}

void ClassicInstallWizard::closeEvent(QCloseEvent *event)
{
    // The window only goes away when the application quits; closing it is a Cancel.
    event->ignore();
    onCancelClicked();
}
