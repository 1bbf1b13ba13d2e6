// The wizard walked by the user with the product's application and frame: the pages, buttons, answers and
// clicks of every mode, and every text on the way, against texts.golden.txt.

#include "common/TestMain.h"

#include "app/application/QuillonInstallerApplication.h"
#include "app/core/InstallException.h"
#include "app/core/VariableTable.h"
#include "app/records/InstalledConfiguration.h"
#include "app/run/InstallerVariables.h"
#include "configuration/items/InstallSystemEnvironmentConfigurationItem.h"
#include "configuration/product/ConfigurationList.h"
#include "resources/LicenseText.h"
#include "wizard/frame/ClassicInstallWizard.h"
#include "wizard/frame/InstallCheckMessageBox.h"
#include "wizard/frame/InstallPushButton.h"
#include "wizard/frame/InstallSeparator.h"
#include "wizard/frame/InstallSpacer.h"
#include "wizard/pages/CustomItem.h"
#include "wizard/pages/CustomSetupImages.h"
#include "wizard/pages/InstallCheckBoxDialog.h"
#include "wizard/pages/InstallChooseDestinationDialog.h"
#include "wizard/pages/InstallConfigurationDialog.h"
#include "wizard/pages/InstallConfigurationItemCheckBox.h"
#include "wizard/pages/InstallCustomSetupDialog.h"
#include "wizard/pages/InstallFindFileDialog.h"
#include "wizard/pages/InstallLicenseAgreementDialog.h"
#include "wizard/pages/InstallProgressDialog.h"
#include "wizard/pages/StudioProgressBar.h"

#include <QtTest>
#include <QtWidgets>

namespace {

// The transcript of a run holds the pages as they are shown, +ITEM / -ITEM as items are
// installed or removed, ?ANSWER for each question, quit:RESULT, !MESSAGE for an error, and
// "record" when the run wrote IConf.xml. Shape, lower case: the items. "Core" (level 0)
// always; t: "Typical" (1) holding "Complete" (2); o: "Extra" (4), a hidden "Secret" (4),
// "Manual" (3); e: the variable item "Home"; f: "Broken", which fails. Upper case: E an
// earlier installation's record in the destination, L the product's licence, P the
// product's own tree. Script: start, next, back, cancel, close (the window), help, accept /
// decline, minimal / typical / full / custom, yes / no / ok (the coming questions' answers),
// show:ID, toggle:ITEM (option pages), menu:ITEM:CHOICE (custom setup), dest:FOLDER; by keys
// alone: key:KEYS pressed where the focus is, box:KEYS the coming question's answer, and
// focus, which writes @ and the focused control's accessible name; describe writes = and the
// first line of the page's description.
struct FlowRow
{
    const char *tag, *arguments, *shape, *script;
};

const std::vector<FlowRow> flowRows = {
    {"no licence: welcome, destination, start, finish; no way back from the welcome page", "Setup", "",
     "start back next next next next"},
    {"licence, components, help, and back walking the history", "Setup", "oL",
     "start next accept next help back next back back next next next next next"},
    {"licence declined ends on the failed page", "Setup", "L", "start next decline next next"},
    {"a relative destination is refused and the page stays for another", "Setup", "",
     "start next dest:relative ok next"},
    {"typical items bring the setup type page, Custom the custom setup", "Setup", "t",
     "start next next custom next next next next"},
    {"environment variables page before the components", "Setup", "eo",
     "start next next next next next next"},
    {"earlier installation in the destination becomes an upgrade without Back", "Setup", "E",
     "start next next back next next"},
    {"upgrade whose removal fails, answered Yes, is cancelled", "Setup", "Ef",
     "start next next yes next next"},
    {"uninstaller starts on the removal page without Back", "uninstall", "E",
     "start back next next"},
    {"modify from the command line becomes a removal", "Setup --modify", "E", "start yes cancel"},
    {"item failure answered Yes ends on the failed page and still writes the record", "Setup", "f",
     "start next next yes next next"},
    {"item failure answered No carries on", "Setup", "f",
     "start next next no next next"},
    {"cancel before the run: No stays, closing the window asks again", "Setup", "",
     "start no cancel yes close"},
    {"cancel while the run shows progress asks the longer question", "Setup", "",
     "start show:16 yes cancel"},
    {"closing on a result page ends without a question and keeps result 0", "Setup", "",
     "start next next next close"},
    {"modify run from the custom setup page", "Setup --modify", "",
     "show:9 next next next"},
    {"modify run with a failure answered Yes", "Setup --modify", "f",
     "show:9 next yes next next"},
    {"repair removes, shows its result, then installs again", "Setup --repair", "",
     "show:14 next next"},
    {"quiet run with the licence accepted installs at once", "Setup --quiet --accept-license", "L",
     "start"},
    {"quiet run without acceptance stops at the licence", "Setup --silent", "L", "start"},
    {"quiet run without a licence needs no acceptance", "Setup -s", "", "start"},
    {"quiet run with a failure answered Yes stays on the failed page", "Setup -s", "f",
     "yes start"},
    {"the product's own pages up to the start of the installation", "Setup", "LP",
     "start next accept next next next yes cancel"},
    {"showing the page id that is never registered fails", "Setup", "", "show:10"},
    // Clicks on the option pages.
    {"a ticked level-4 component can be cleared", "Setup", "o",
     "start next next toggle:Extra next next next"},
    {"a level-3 component is installed once ticked", "Setup", "o",
     "start next next toggle:Manual next next next"},
    {"an environment variable can be left out", "Setup", "e",
     "start next next toggle:Home next next next"},
    {"Minimal leaves the typical component out", "Setup", "t",
     "start next next minimal next next next"},
    {"a deep feature switched on takes its ancestors along, and Full installs it", "Setup", "t",
     "start next next custom next menu:Typical:2 menu:Complete:0 back full next next next"},
    {"a feature made unavailable takes its sub-features along", "Setup", "t",
     "start next next custom next menu:Complete:0 menu:Typical:2 next next next"},
    {"a feature with all sub-features", "Setup", "t", "start next next custom next menu:Typical:1 next next next"},
    {"removing a required feature asks; No keeps it", "Setup", "t",
     "start next next custom next no menu:Core:2 next next next"},
    {"a required feature removed and restored leaves its cleared component out", "Setup", "to",
     "start next next custom next yes menu:Core:2 menu:Core:0 next next next next"},
    // The same by a person with the keyboard alone: no click, no mouse.
    {"install: the licence accepted by its mnemonic, a component cleared with Space", "Setup", "oL",
     "start key:Return key:Alt+A key:Return key:Return focus key:Shift+Tab focus key:Shift+Tab focus describe "
     "key:Space key:Down describe key:Return key:Return key:Return"},
    {"Tab reads the page, then Back, Next and Cancel", "Setup", "",
     "start key:Return focus key:Tab focus key:Tab focus key:Tab focus key:Tab focus key:Tab focus "
     "key:Return key:Return key:Return"},
    {"removal by the uninstall copy, every button by its mnemonic", "uninstall", "E",
     "start key:Alt+B key:Alt+R key:Alt+F"},
    {"Custom chosen with Space, a feature left out through the menu Space opens on it", "Setup", "t",
     "start key:Return key:Return key:Shift+Tab key:Shift+Tab key:Space key:Return key:Shift+Tab key:Shift+Tab "
     "key:Down focus describe key:Space key:Down key:Down key:Return key:Return key:Return key:Return"},
    {"Escape asks the Cancel question; Escape there keeps the run, Return on its default Yes ends it", "Setup", "",
     "start box:Escape key:Escape box:Return key:Escape"},
};

struct RunState
{
    QStringList transcript;
    QString details; // each question asked, and what the progress page showed for each item
    QList<int> answers;
    QStringList answerKeys;
};

RunState *currentRun = nullptr; // the run in progress

// Notes quit() instead of ending the event loop; maintenance reads the record where installs leave it.
class ObservedApplication : public QuillonInstallerApplication
{
public:
    using QuillonInstallerApplication::QuillonInstallerApplication;
    void quit() override { currentRun->transcript << QStringLiteral("quit:%1").arg(result()); }
protected:
    QString maintenanceRecordPath() const override { return expand(QStringLiteral("$(InstallerDir)/IConf.xml")); }
};

// An item that says what it does and what the progress page shows meanwhile; "Broken" fails.
template <class Base>
class Logged : public Base
{
public:
    using Base::Base;
protected:
    void doInstall() override { act(QStringLiteral("+")), Base::doInstall(); }
    void doUninstall() override { act(QStringLiteral("-")), Base::doUninstall(); }
private:
    void act(const QString &sign)
    {
        currentRun->transcript << sign + this->name();
        const auto *page = qobject_cast<InstallProgressDialog *>(InstallApplication::instance()->wizard()->dialog(16));
        currentRun->details += QStringLiteral("progress: %1 (%2 of %3)\n").arg(page->itemLabel()->text())
                                   .arg(page->totalBar()->progress()).arg(page->totalBar()->totalSteps());
        if (this->name() == QLatin1String("Broken"))
            throw InstallException(QStringLiteral("Cannot write broken.dat"));
    }
};

using Item = Logged<InstallConfigurationItem>;

InstallConfigurationList *buildTree(const QString &shape)
{
    if (shape.contains(QLatin1Char('P'))) {
        // Offered ticked where udev keeps its rules, as on most machines (the sandbox's /etc).
        if (QDir().mkpath(QStringLiteral("/etc/udev/rules.d")))
            QFile::remove(QStringLiteral("/etc/udev/rules.d/99-vantor.rules"));
        return new ConfigurationList;
    }
    auto *list = new InstallConfigurationList;
    auto *core = new Item(list, "Core", "Core files of $(Product)", 0, true);
    if (shape.contains(QLatin1Char('t')))
        new Item(new Item(core, "Typical", "Typical files", 1, true), "Complete", QString(), 2, true);
    if (shape.contains(QLatin1Char('o'))) {
        new Item(core, "Extra", "Extra boards", 4, true);
        new Item(core, "Secret", "Never shown", 4, false);
        new Item(list, "Manual", "Printed manual", 3, true);
    }
    if (shape.contains(QLatin1Char('e')))
        new Logged<InstallSystemEnvironmentConfigurationItem>("FENWICK_TEST_HOME", "$(DestDir)", list, "Home",
                                                              QString(), 0, true);
    if (shape.contains(QLatin1Char('f')))
        new Item(core, "Broken", "Fails", 0, true);
    list->checkWillInstall();
    return list;
}

// What a screen reader says a control is called.
QString spokenName(QWidget *widget)
{
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget);
    return accessible ? accessible->text(QAccessible::Name) : QStringLiteral("(nothing)");
}

QString withState(const QWidget *widget, QString text)
{
    if (const auto *button = qobject_cast<const QPushButton *>(widget); button && button->isDefault())
        text += QLatin1String(" (default)");
    if (!widget->isEnabled())
        text += QLatin1String(" (disabled)");
    return text.replace(QLatin1Char('\n'), "\\n");
}

QString layoutText(const QWidget *widget)
{
    const QLayout *layout = widget->layout();
    const QMargins m = layout ? layout->contentsMargins() : QMargins();
    return layout ? QStringLiteral("layout: margins %1 %2 %3 %4, spacing %5\n").arg(m.left()).arg(m.top())
                        .arg(m.right()).arg(m.bottom()).arg(layout->spacing())
                  : QString();
}

bool shows(const QIcon &icon, const QPixmap &expected)
{
    return icon.pixmap(expected.deviceIndependentSize().toSize()).toImage().convertToFormat(QImage::Format_ARGB32)
           == expected.toImage().convertToFormat(QImage::Format_ARGB32);
}

void describeEntries(const QTreeWidgetItem *parent, int depth, QString *out)
{
    for (int i = 0; i < parent->childCount(); ++i) {
        const QTreeWidgetItem *entry = parent->child(i);
        QString text = entry->text(entry->columnCount() - 1);
        if (entry->data(0, Qt::CheckStateRole).isValid())
            text.prepend(entry->checkState(0) == Qt::Checked ? "[x] " : "[ ] ");
        if (const QIcon icon = entry->icon(CustomItem::IconColumn); !icon.isNull())
            text.prepend(shows(icon, CustomSetupImages::willInstallIcon())    ? "(will install) "
                         : shows(icon, CustomSetupImages::notInstalledIcon()) ? "(not installed) " : "(other icon) ");
        *out += QString(depth * 2, QLatin1Char(' ')) + text + (entry->flags() & Qt::ItemIsEnabled ? "\n" : " (disabled)\n");
        describeEntries(entry, depth + 1, out);
    }
}

// How a shown group's choices stand: one above the other, or not.
QString arrangement(const QGroupBox *group)
{
    QList<QAbstractButton *> choices = group->findChildren<QAbstractButton *>(Qt::FindDirectChildrenOnly);
    choices.removeIf([](const QAbstractButton *choice) { return !choice->isCheckable(); });
    bool column = true;
    for (qsizetype i = 1; i < choices.size(); ++i)
        column = column && choices[i]->x() == choices[0]->x() && choices[i]->y() > choices[i - 1]->y();
    return !group->isVisible() || choices.size() < 2 ? QString() : column ? " (one column)" : " (not in one column)";
}

// A widget its parent's layout does not hold keeps a child's default 100 x 30 at the top left.
bool isLaidOut(const QLayout *layout, const QWidget *widget)
{
    for (int i = 0; layout && i < layout->count(); ++i)
        if (layout->itemAt(i)->widget() == widget || isLaidOut(layout->itemAt(i)->layout(), widget))
            return true;
    return false;
}

// Every widget a user sees, in creation order, indented below its group.
void describeChildren(const QWidget *parent, int depth, QString *out)
{
    for (QObject *object : parent->children()) {
        auto *widget = qobject_cast<QWidget *>(object);
        if (!widget || widget->isWindow() || !widget->isVisibleTo(parent))
            continue;
        QString line;
        if (auto *label = qobject_cast<QLabel *>(widget))
            line = !label->text().isEmpty() ? QString(label->font().bold() ? "bold label: " : "label: ") + label->text()
                   : label->pixmap().isNull() ? QString() : QStringLiteral("picture");
        else if (auto *check = qobject_cast<QAbstractButton *>(widget); check && check->isCheckable())
            line = QString(check->isChecked() ? "[x] " : "[ ] ") + check->text();
        else if (auto *button = qobject_cast<QAbstractButton *>(widget))
            line = "button: " + button->text();
        else if (auto *edit = qobject_cast<QLineEdit *>(widget))
            line = "edit: " + edit->text();
        else if (auto *document = qobject_cast<QTextEdit *>(widget))
            line = QStringLiteral("document%1: %2 lines, first: %3").arg(document->isReadOnly() ? " (read only)" : "")
                       .arg(document->document()->lineCount()).arg(document->toPlainText().section('\n', 0, 0));
        else if (auto *bar = qobject_cast<StudioProgressBar *>(widget))
            line = QStringLiteral("bar: %1 of %2").arg(bar->progress()).arg(bar->totalSteps());
        else if (qobject_cast<InstallSpacer *>(widget))
            line = QStringLiteral("spacer %1x%2").arg(widget->sizeHint().width()).arg(widget->sizeHint().height());
        else if (auto *group = qobject_cast<QGroupBox *>(widget))
            line = "group: " + group->title() + arrangement(group);
        else if (qobject_cast<QTreeWidget *>(widget))
            line = "list:";
        if (!line.isEmpty() && parent->layout() && !isLaidOut(parent->layout(), widget))
            line += QStringLiteral(" (outside the layout)");
        if (!line.isEmpty())
            *out += QString(depth * 2, QLatin1Char(' ')) + withState(widget, line) + QLatin1Char('\n');
        if (auto *tree = qobject_cast<QTreeWidget *>(widget))
            describeEntries(tree->invisibleRootItem(), depth + 1, out);
        else if (line.isEmpty() || qobject_cast<QGroupBox *>(widget))
            describeChildren(widget, line.isEmpty() ? depth : depth + 1, out);
    }
}

QString describePage(ClassicInstallWizard *wizard)
{
    InstallWizardDialog *page = wizard->currentDialog();
    if (!page)
        return QStringLiteral("no page\n");
    QStringList buttons;
    for (const QPushButton *button : {wizard->backButton(), wizard->nextButton(), wizard->cancelButton()})
        buttons << withState(button, button->text());
    QString out = QStringLiteral("page %1: %2\nbuttons: %3\n").arg(wizard->dialogId(page))
                      .arg(withState(wizard, wizard->titleLabel()->text()), buttons.join(" | ")) + layoutText(page);
    describeChildren(page, 1, &out);
    return out;
}

QString describeDialog(QWidget *dialog)
{
    QString out = layoutText(dialog);
    if (dialog->isWindow())
        out.prepend(QStringLiteral("window: %1%2\n").arg(dialog->windowTitle(), dialog->isModal() ? " (modal)" : ""));
    describeChildren(dialog, 1, &out);
    return out;
}

void answerQuestion(RunState &run)
{
    auto *box = qobject_cast<InstallCheckMessageBox *>(QApplication::activeModalWidget());
    if (!box || box->property("answered").toBool())
        return;
    box->setProperty("answered", true);
    run.details += describeDialog(box);
    if (!run.answerKeys.isEmpty()) {
        const QString keys = run.answerKeys.takeFirst();
        run.transcript << QLatin1Char('?') + keys;
        const QKeyCombination key = QKeySequence(keys)[0];
        box->activateWindow(); // mnemonics only reach the active window, as on a desktop
        if (!QTest::qWaitForWindowActive(box))
            run.transcript << QStringLiteral("box-not-active");
        QTest::keyClick(box->focusWidget() ? box->focusWidget() : box, key.key(), key.keyboardModifiers());
        QTest::qWait(200); // a mnemonic presses its button a moment later
        if (box->isVisible()) // a key that answered nothing would leave the run waiting for ever
            run.transcript << QStringLiteral("still-asking"), box->reject();
        return;
    }
    QPushButton *button = run.answers.isEmpty() ? nullptr : box->button(run.answers.takeFirst());
    if (box->parentWidget() != InstallApplication::instance()->wizard()) // no outer window: the wizard holds the box
        run.transcript << QStringLiteral("box-not-on-wizard");
    run.transcript << QLatin1Char('?') + (button ? button->text().remove(QLatin1Char('&')) : QStringLiteral("unexpected"));
    button ? button->click() : box->reject();
}

// Ticks or clears an option page's entry the way a user does: select it, press space.
void toggle(InstallCheckBoxDialog *page, const QString &name)
{
    for (int i = 0; i < page->itemCount(); ++i) {
        if (page->entry(i)->item()->name() == name)
            page->checkList()->setCurrentItem(page->entry(i)), QTest::keyClick(page->checkList(), Qt::Key_Space);
    }
}

// A left click on the entry's icon, then the menu's choice.
void choose(InstallCustomSetupDialog *page, const QString &name, int choice)
{
    QTreeWidget *tree = page->featureList();
    const QRect row = tree->visualItemRect(tree->findItems(name, Qt::MatchExactly | Qt::MatchRecursive, 1).value(0));
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, QPoint(row.left() + 8, row.center().y()));
    for (QAction *action : page->openMenu() ? page->openMenu()->actions() : QList<QAction *>())
        if (!action->isSeparator() && action->data().toInt() == choice)
            action->trigger();
    if (page->openMenu()) // a popup left open would take the next click
        page->openMenu()->close();
}

void perform(const QString &token, ObservedApplication &application, ClassicInstallWizard *wizard, RunState &run)
{
    static const QStringList setupTypes = {"minimal", "typical", "full", "custom"};
    const QStringList part = token.split(QLatin1Char(':'));
    InstallWizardDialog *page = wizard->currentDialog();
    auto *licence = qobject_cast<InstallLicenseAgreementDialog *>(page);
    auto *types = qobject_cast<InstallConfigurationDialog *>(page);
    if (token == "start")
        application.start();
    else if (token == "next" || token == "back" || token == "cancel")
        (token == "next" ? wizard->nextButton() : token == "back" ? wizard->backButton() : wizard->cancelButton())->click();
    else if (token == "close")
        wizard->close();
    else if (token == "help")
        application.onHelpClicked(page);
    else if (token == "yes" || token == "no" || token == "ok")
        run.answers << (token == "yes" ? InstallCheckMessageBox::Yes : token == "no" ? InstallCheckMessageBox::No
                                                                                      : InstallCheckMessageBox::Ok);
    else if (part[0] == "dest")
        qobject_cast<InstallChooseDestinationDialog *>(page)->folderEdit()->setText(part.value(1));
    else if (licence && (token == "accept" || token == "decline"))
        (token == "accept" ? licence->acceptButton() : licence->declineButton())->click();
    else if (types && setupTypes.contains(token))
        types->buttonGroup()->button(int(setupTypes.indexOf(token)))->click();
    else if (part[0] == "show")
        wizard->showDialog(part.value(1).toInt());
    else if (part[0] == "toggle")
        toggle(qobject_cast<InstallCheckBoxDialog *>(page), part.value(1));
    else if (part[0] == "menu")
        choose(qobject_cast<InstallCustomSetupDialog *>(page), part.value(1), part.value(2).toInt());
    else if (part[0] == "key") {
        const QKeyCombination key = QKeySequence(part.value(1))[0];
        wizard->activateWindow();
        if (!QTest::qWaitForWindowActive(wizard))
            run.transcript << QStringLiteral("wizard-not-active");
        QWidget *target = QApplication::activePopupWidget() ? QApplication::activePopupWidget() : wizard->focusWidget();
        QTest::keyClick(target ? target : wizard, key.key(), key.keyboardModifiers());
        if (key.keyboardModifiers() & Qt::AltModifier)
            QTest::qWait(200); // a mnemonic presses its button the way a click shows, a moment later
    } else if (part[0] == "box")
        run.answerKeys << part.value(1);
    else if (token == "describe") // what the page's description says now
        for (const QLabel *label : page->findChildren<QLabel *>(QRegularExpression("description$")))
            run.transcript << QLatin1Char('=') + QTextDocumentFragment::fromHtml(label->text()).toPlainText().section('\n', 0, 0);
    else if (token == "focus")
        run.transcript << QLatin1Char('@') + spokenName(wizard->focusWidget());
    else
        run.transcript << "cannot:" + token;
}

// The transcript, and for the golden file the questions, the progress and the last page.
QPair<QString, QString> runFlow(const FlowRow &row)
{
    RunState run;
    currentRun = &run;
    QTemporaryDir folder;
    InstallerVariables::initialise();
    setVariable(QStringLiteral("DestDir"), folder.path() + QStringLiteral("/dest"));
    const QString shape = QString::fromLatin1(row.shape);
    const QString record = expand(QStringLiteral("$(InstallerDir)/IConf.xml"));
    QDir().mkpath(expand(QStringLiteral("$(InstallerDir)")));
    if (shape.contains(QLatin1Char('E'))) {
        const std::unique_ptr<InstallConfigurationList> earlier(buildTree(shape));
        earlier->setInstalled(InstallConfigurationItem::fullyInstalled, true);
        saveInstalledConfiguration(*earlier, record);
        QFile file(record); // marked, so that a record the run writes shows
        if (file.open(QIODevice::Append))
            file.write("<!-- earlier -->\n");
    }
    QStringList arguments = QString::fromLatin1(row.arguments).split(QLatin1Char(' '));
    arguments.first().prepend(expand(QStringLiteral("$(InstallerDir)/")));
    auto *wizard = new ClassicInstallWizard;
    const std::unique_ptr<InstallConfigurationList> list(buildTree(shape));
    auto application = std::make_unique<ObservedApplication>(nullptr, wizard, list.get(),
        shape.contains(QLatin1Char('L')) ? QString::fromUtf8(licenseText()) : QString(), QString(), QString(), QString(),
        arguments);
    QObject::connect(wizard, &InstallWizard::aboutToShow, wizard, [&run, wizard](InstallWizardDialog *page) {
        run.transcript << QString::number(wizard->dialogId(page));
    });
    QTimer answerer;
    QObject::connect(&answerer, &QTimer::timeout, &answerer, [&run] { answerQuestion(run); });
    answerer.start(0);
    for (const QString &token : QString::fromLatin1(row.script).split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        try {
            perform(token, *application, wizard, run);
            QCoreApplication::processEvents(); // the quiet starts are queued
        } catch (const InstallException &error) {
            run.transcript << QLatin1Char('!') + error.message();
        }
    }
    answerer.stop();
    QFile written(record);
    if (written.open(QIODevice::ReadOnly) && !written.readAll().contains("earlier"))
        run.transcript << QStringLiteral("record");
    const QPair<QString, QString> result(run.transcript.join(QLatin1Char(' ')), run.details + describePage(wizard));
    application.reset(); // takes the wizard with it
    currentRun = nullptr;
    return result;
}

// The product's wizard as the installer builds it, in fixed folders so that its texts are.
struct ProductWizard
{
    ProductWizard()
    {
        InstallerVariables::initialise();
        setPathVariable(QStringLiteral("SrcDir"), QStringLiteral("/media/studio-dvd"));
        list.reset(buildTree(QStringLiteral("P")));
        wizard = new ClassicInstallWizard;
        application = std::make_unique<QuillonInstallerApplication>(nullptr, wizard, list.get(),
            QString::fromUtf8(licenseText()), QString(), QString(), QString(), QStringList{"Setup"});
    }
    std::unique_ptr<InstallConfigurationList> list;
    ClassicInstallWizard *wizard; // the application deletes it
    std::unique_ptr<QuillonInstallerApplication> application;
};

std::vector<std::pair<QString, std::unique_ptr<QDialog>>> sampleDialogs()
{
    std::vector<std::pair<QString, std::unique_ptr<QDialog>>> dialogs;
    const auto box = [&dialogs](const char *heading, const char *message, int buttons, int preferred) {
        dialogs.emplace_back(QStringLiteral("question %1, default %2").arg(buttons).arg(preferred),
                             std::make_unique<InstallCheckMessageBox>(heading, message, buttons, preferred));
    };
    box("Older version of fwStudio already exists",
        "Do you want to overwrite \"$(DestDir)/bin/fwStudio\" with newer file?", 307, 1);
    box("Installation Error", "Unknown command line option: '--colour'.<p>Click OK to terminate installation", 4, 4);
    box("$(Product) $(Version)", "Every button", 511, 256);
    for (const char *path : {"$(SrcDir)/data/payload.bin", "$(SrcDir)/$(DestDir)", "$(DestDir)/bin/fwStudio",
                             "$(OSAppDir)/mime/../mime/packages/fwstudio.xml", "$(OSAppDir)"})
        dialogs.emplace_back(QStringLiteral("locate %1").arg(path), std::make_unique<InstallFindFileDialog>(nullptr, path));
    return dialogs;
}

QString describeProductWizard()
{
    ProductWizard product;
    ClassicInstallWizard *wizard = product.wizard;
    QWidget *separator = wizard->findChild<InstallSeparator *>();
    QString text = QStringLiteral("window: %1\nseparator: height %2\n%3").arg(wizard->windowTitle())
                       .arg(separator->height()).arg(describeDialog(separator));
    for (int id = 1; id <= 20; ++id) {
        InstallWizardDialog *page = wizard->dialog(id);
        if (!page)
            continue;
        wizard->showDialog(id);
        if (auto *list = page->findChild<QTreeWidget *>(); list && list->topLevelItemCount() > 0)
            list->setCurrentItem(list->topLevelItem(0)); // shows the first entry's description
        text += describePage(wizard);
        if (auto *custom = qobject_cast<InstallCustomSetupDialog *>(page)) {
            custom->mouseButtonClicked(Qt::LeftButton, nullptr, QPoint(), CustomItem::IconColumn);
            for (const QAction *action : custom->openMenu()->actions())
                text += action->isSeparator() ? QStringLiteral("  menu: ----\n") : QStringLiteral("  menu: %1 %2%3\n")
                            .arg(action->data().toInt()).arg(action->text(), action->icon().isNull() ? " (no icon)" : "");
            custom->openMenu()->close();
        }
        for (const int phase : {1, 3, 4, 5}) {
            if (auto *progress = qobject_cast<InstallProgressDialog *>(page)) {
                progress->setMode(phase);
                wizard->showDialog(id);
                text += describePage(wizard);
            }
        }
    }
    const int width = 110 * QFontMetrics(wizard->font()).averageCharWidth();
    const QRect area = QGuiApplication::primaryScreen()->geometry();
    const QPoint centre((area.left() + area.right()) / 2, (area.top() + area.bottom()) / 2);
    if (wizard->size() != QSize(width, int(width / 1.618)) || wizard->pos() != centre - QPoint(width / 2, wizard->height() / 2))
        text += "wizard not 110 average characters wide, in the golden ratio, in the middle of the screen\n";
    for (const auto &[name, dialog] : sampleDialogs()) {
        text += QStringLiteral("== %1\n").arg(name) + describeDialog(dialog.get());
        if (auto *locate = qobject_cast<InstallFindFileDialog *>(dialog.get())) {
            const QStringList names{"SrcDir", "DestDir"}, before{variable(names[0]), variable(names[1])};
            locate->pathEdit()->setText(QStringLiteral("/opt/typed"));
            text += QStringLiteral("typed: SrcDir %1, DestDir %2, located %3\n")
                        .arg(variable(names[0]), variable(names[1]), locate->locatedPath());
            setPathVariable(names[0], before[0]), setPathVariable(names[1], before[1]);
        }
    }
    return text;
}

// What a screen reader walks, from the window down: role, name, value, description and the
// states that matter. What it skips (hidden pages, decoration) is left out; a control that
// takes the focus without a name says so.
void describeAccessible(QAccessibleInterface *node, int depth, QString *out)
{
    const QAccessible::State state = node->state();
    if (state.invisible)
        return;
    const auto shortened = [](QString text) {
        text.replace(QLatin1Char('\n'), QLatin1String("\\n"));
        return text.size() > 60 ? text.left(57) + QStringLiteral("...") : text;
    };
    QString line = QString(depth * 2, QLatin1Char(' ')) + QMetaEnum::fromType<QAccessible::Role>().valueToKey(node->role())
                   + QStringLiteral(" \"%1\"").arg(shortened(node->text(QAccessible::Name)));
    if (const QString value = node->text(QAccessible::Value); !value.isEmpty())
        line += QStringLiteral(" = ") + shortened(value);
    if (const QString description = node->text(QAccessible::Description); !description.isEmpty())
        line += QStringLiteral(" (%1)").arg(shortened(description));
    const QList<std::pair<bool, const char *>> flags = {
        {bool(state.focusable), " focusable"}, {bool(state.checked), " checked"}, {bool(state.disabled), " disabled"},
        {bool(state.defaultButton), " default"}, {state.focusable && node->text(QAccessible::Name).isEmpty(), " UNNAMED"}};
    for (const auto &[on, text] : flags)
        line += on ? QLatin1String(text) : QLatin1String();
    *out += line + QLatin1Char('\n');
    for (int i = 0; i < node->childCount(); ++i)
        if (QAccessibleInterface *child = node->child(i))
            describeAccessible(child, depth + 1, out);
}

QString describeAccessibleProduct()
{
    ProductWizard product;
    QString text;
    for (int id = 1; id <= 20; ++id) {
        if (!product.wizard->dialog(id))
            continue;
        product.wizard->showDialog(id);
        if (auto *progress = qobject_cast<InstallProgressDialog *>(product.wizard->dialog(id)))
            progress->totalBar()->setTotalSteps(8), progress->totalBar()->setProgress(2);
        text += QStringLiteral("== page %1\n").arg(id);
        describeAccessible(QAccessible::queryAccessibleInterface(product.wizard), 0, &text);
    }
    for (const auto &[name, dialog] : sampleDialogs()) {
        dialog->show();
        text += QStringLiteral("== %1\n").arg(name);
        describeAccessible(QAccessible::queryAccessibleInterface(dialog.get()), 0, &text);
    }
    return text;
}

// Every shown text that does not fit its control, at whatever density the screen has.
QStringList clippedTexts(QWidget *window)
{
    QStringList clipped;
    for (QWidget *widget : window->findChildren<QWidget *>()) {
        if (!widget->isVisibleTo(window))
            continue;
        const auto *label = qobject_cast<QLabel *>(widget);
        const auto *button = qobject_cast<QAbstractButton *>(widget);
        const bool fits = label ? (label->wordWrap() ? label->heightForWidth(label->width()) <= label->height()
                                                     : label->sizeHint().width() <= label->width())
                          : button ? button->fontMetrics().horizontalAdvance(QString(button->text()).remove('&')) + 8
                                         <= button->width()
                                   : true;
        if (!fits)
            clipped << (label ? label->text() : button->text()).left(40);
    }
    if (window->frameGeometry().width() > 1280 || window->frameGeometry().height() > 800)
        clipped << QStringLiteral("the window is larger than 1280 x 800");
    return clipped;
}

} // namespace

class WizardTextsTest : public QObject
{
    Q_OBJECT

private slots:
    void everyTextAsShown()
    {
        QString text = describeProductWizard();
        for (const FlowRow &row : flowRows) {
            const QPair<QString, QString> run = runFlow(row);
            text += QStringLiteral("== run: %1\n%2\n").arg(row.tag, run.first) + run.second;
        }
        QCOMPARE(text.split(QLatin1Char('\n')),
                 TestMain::goldenText("tests/wizard/texts.golden.txt", text).split(QLatin1Char('\n')));
    }

    void everyControlNamedForScreenReaders()
    {
        const QString text = describeAccessibleProduct();
        QCOMPARE(text.split(QLatin1Char('\n')), TestMain::goldenText("tests/wizard/accessibility.golden.txt", text).split(QLatin1Char('\n')));
    }

    // Run again at twice the density (ctest's wizard-double-density).
    void everyTextFits()
    {
        ProductWizard product;
        QStringList clipped;
        for (int id = 1; id <= 20; ++id) {
            if (product.wizard->dialog(id)) {
                product.wizard->showDialog(id);
                clipped << clippedTexts(product.wizard).replaceInStrings(QRegularExpression("^"), QStringLiteral("page %1: ").arg(id));
            }
        }
        for (const auto &[name, dialog] : sampleDialogs()) {
            dialog->show();
            clipped << clippedTexts(dialog.get()).replaceInStrings(QRegularExpression("^"), name + ": ");
        }
        QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(QLatin1Char('\n'))));
    }

    // Pictures for a person to look at, written only when SCREENSHOT_DIR names a folder.
    void screenshots()
    {
        const QDir folder(qEnvironmentVariable("SCREENSHOT_DIR"));
        if (qEnvironmentVariableIsEmpty("SCREENSHOT_DIR") || !QDir().mkpath(folder.path()))
            QSKIP("SCREENSHOT_DIR does not name a folder");
        ProductWizard product;
        const auto dialogs = sampleDialogs();
        for (int shot = 1; shot <= 20 + int(dialogs.size()); ++shot) {
            if (shot <= 20 && !product.wizard->dialog(shot))
                continue;
            QWidget *window = shot <= 20 ? static_cast<QWidget *>(product.wizard) : dialogs[shot - 21].second.get();
            if (shot <= 20)
                product.wizard->showDialog(shot);
            window->show();
            QVERIFY(QTest::qWaitForWindowExposed(window));
            QString name = shot <= 20 ? QStringLiteral("page %1").arg(shot, 2, 10, QLatin1Char('0')) : dialogs[shot - 21].first;
            name += QStringLiteral(" at %1x").arg(window->devicePixelRatio());
            name = folder.filePath(name.replace(QRegularExpression("[^A-Za-z0-9]+"), "-") + ".png");
            QVERIFY2(window->grab().save(name), qPrintable(name));
        }
    }
};

STUDIO_TEST_CLASS(WizardTextsTest)
#include "WizardRunsTest.moc"
