#pragma once

#include <QList>
#include <QString>

class InstallApplication;
class InstallTextDialog;

// The plain text pages that open an installation or upgrade and confirm the start of
// each kind of run. The application registers them under these ids; their texts are
// kept here, unexpanded, so that the page expands them once when it is built.
namespace StandardPageTexts {

enum PageId {
    WelcomeInstall = 1,
    WelcomeUpgrade = 2,
    StartInstallation = 11,
    StartRemoval = 12,
    StartModify = 13,
    StartRepair = 14,
    StartUpgrade = 15
};

struct PageText
{
    QString title;
    QString text;      // unexpanded; may hold $(Product) and $(Version)
    QString nextLabel;
    int flags = 0;
};

// The ids above, in the order the application registers them.
QList<int> pageIds();

// True for the ids above.
bool isStandardTextPage(int id);

// The title, text, Next label and flags of the page registered under id; an empty
// PageText for any other id.
PageText pageText(int id);

// Builds the page registered under id (subtitle empty, Back "<&Back", Help "&Help",
// Cancel "&Cancel"); null for an id that is not one of the above. The page has no
// parent until the wizard's addDialog takes it into its stack.
InstallTextDialog *createPage(InstallApplication *application, int id);

// The product's longer removal text for page 12, built from the product title and the
// short product name. It is set with setText, without $(Name) expansion.
QString productRemovalText(const QString &productTitle, const QString &shortProductName);

} // namespace StandardPageTexts
