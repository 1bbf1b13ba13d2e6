#include "app/startup/InstallerStartup.h"

#include "app/run/InstallCommandLine.h"
#include "app/application/QuillonInstallerApplication.h"
#include "app/core/InstallException.h"
#include "app/core/ProcessEnd.h"
#include "app/core/ProductIdentity.h"
#include "app/core/VariableTable.h"
#include "app/queries/UserQueries.h"
#include "app/run/InstallerVariables.h"
#include "app/startup/StudioApplication.h"
#include "app/startup/SudoOwnershipRepair.h"
#include "app/startup/UnattendedPageGuard.h"
#include "configuration/product/ConfigurationList.h"
#include "media/platform/Environment.h"
#include "resources/LicenseText.h"
#include "resources/ProductImages.h"
#include "wizard/frame/ClassicInstallWizard.h"
#include "wizard/frame/WizardQuestions.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <cstdio>
#include <new>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Qt's own messages are not the installer's to print; only one that ends the process
// (a platform plug-in that cannot start, say) says why before it does.
void discardMessage(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

QStringList argumentList(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

// The release's starter puts its fallback font libraries first on the library path where
// the machine has none. They are loaded by now; the programs the installer starts (the
// desktop's refresh tools) get the machine's own libraries again.
void forgetFallbackLibraries(const QString &runtime)
{
    const QByteArray fallback = QFile::encodeName(runtime) + "/fallback";
    const QByteArray path = qgetenv("LD_LIBRARY_PATH");
    if (path == fallback)
        qunsetenv("LD_LIBRARY_PATH");
    else if (path.startsWith(fallback + ':'))
        qputenv("LD_LIBRARY_PATH", path.mid(fallback.size() + 1));
}

// A font configuration names the folders fontconfig writes its caches into; root takes
// the system's, or the release's own fallback, never one its caller named (sudo -E).
void forgetCallersFontConfiguration(const QString &runtime)
{
    if (qgetenv("FONTCONFIG_FILE") != QFile::encodeName(runtime) + "/fallback/fonts.conf")
        qunsetenv("FONTCONFIG_FILE");
    qunsetenv("FONTCONFIG_PATH");
    qunsetenv("FONTCONFIG_SYSROOT");
}

// Without XDG_RUNTIME_DIR (under sudo, say) Qt makes itself a runtime folder in the
// temporary folder; one it made for this run goes when the run ends.
void forgetQtRuntimeFolder()
{
    if (qEnvironmentVariableIsSet("XDG_RUNTIME_DIR"))
        return;
    const passwd *user = ::getpwuid(::geteuid());
    if (!user || !user->pw_name)
        return;
    const QByteArray folder = QFile::encodeName(QDir::tempPath()) + "/runtime-" + user->pw_name;
    if (QFileInfo::exists(QFile::decodeName(folder)))
        return;
    ProcessEnd::atEnd([folder] { ::rmdir(folder.constData()); });
}

QString singleInstanceKey()
{
    return QString::asprintf("%s %s %s%s Setup", ProductIdentity::maker,
                             ProductIdentity::productName().toLocal8Bit().constData(), "4.", "52a");
}

// Builds the wizard, the product's tree and the application, runs it and returns its
// result. Failures while the application is being built (a payload that cannot be
// opened) are reported like those of the run itself.
int runApplication(bool unattended)
{
    auto *wizard = new ClassicInstallWizard(nullptr, QPixmap());
    auto *list = new ConfigurationList();
    const QByteArray licence = licenseText();
    int result = 0;
    try {
        QuillonInstallerApplication application(nullptr, wizard, list, QString::fromUtf8(licence),
                                                QString(), QString(), QString());
        if (unattended)
            new UnattendedPageGuard(&application,
                                    InstallStandardInstallerApplication::ProgressPage);
        application.run();
        result = application.result();
    } catch (const InstallException &error) {
        reportError(error.message());
    } catch (const std::bad_alloc &) {
        reportError(InstallException::outOfMemory().message());
    }
    return result;
}

} // namespace

int runInstaller(int argc, char **argv)
{
    // A release carries its own Qt in runtime/ beside the installer (found through the
    // executable's run path); its platform plug-ins must be that Qt's, not the machine's.
    // Plug-ins of the machine's own Qt (themes, image formats) would be loaded into ours
    // and may be of another version, so a release looks for plug-ins in runtime/ only.
    // Before the application object: building it already talks ("XDG_RUNTIME_DIR not set").
    qInstallMessageHandler(discardMessage);
    // Root loads no plug-in from a folder its caller named (sudo -E keeps QT_PLUGIN_PATH):
    // a plug-in is code, and it would run as root.
    const QString bundledRuntime = Platform::installerFolder() + QStringLiteral("/runtime");
    if (::geteuid() == 0) {
        qunsetenv("QT_PLUGIN_PATH");
        qunsetenv("QT_QPA_PLATFORM_PLUGIN_PATH");
        forgetCallersFontConfiguration(bundledRuntime);
    }
    const QString bundledPlatforms = bundledRuntime + QStringLiteral("/platforms");
    const bool release = QFileInfo(bundledPlatforms).isDir();
    if (release) {
        qputenv("QT_QPA_PLATFORM_PLUGIN_PATH", QFile::encodeName(bundledPlatforms));
        QCoreApplication::setLibraryPaths({bundledRuntime});
        forgetFallbackLibraries(bundledRuntime);
    }
    // A Wayland session without an X server; where both are there, X as always.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM") && !qEnvironmentVariableIsSet("DISPLAY")
        && qEnvironmentVariableIsSet("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "wayland");
    if (!qEnvironmentVariableIsSet("QT_X11_NO_MITSHM"))
        qputenv("QT_X11_NO_MITSHM", "1");

    // Scripts and remote sessions ask for a quiet run without any display: it runs on
    // the offscreen platform and never waits for an answer nobody can give.
    const bool quiet = InstallCommandLine(argumentList(argc, argv)).isQuiet();
    const bool unattended = quiet && !Platform::hasDisplay();
    if (unattended)
        qputenv("QT_QPA_PLATFORM", "offscreen");

    forgetQtRuntimeFolder();
    QGuiApplication::setDesktopSettingsAware(false);
    const mode_t previousMask = ::umask(022);

    StudioApplication application(singleInstanceKey(), argc, argv);
    if (application.isRunning()) {
        // A script must notice that it installed nothing; a person is shown the
        // installer that already runs.
        if (quiet) {
            InstallerVariables::initialise();
            const QString message = expand(QStringLiteral("Another installer of $(Product) $(Version) is running.\n"));
            std::fputs(message.toUtf8().constData(), stderr);
        } else {
            application.sendMessage(QString(), 5000);
        }
        ::umask(previousMask);
        ProcessEnd::now(quiet ? 1 : 0);
    }
    // The platform plug-in is loaded by now; nothing else is taken from outside. A
    // release's own plug-ins stay in reach: Wayland loads its shell integration when the
    // first window opens.
    QCoreApplication::setLibraryPaths(release ? QStringList{bundledRuntime} : QStringList{});
    QApplication::setFont(QFont(QStringLiteral("Sans"), 10));
    // Without a display the engine's own unattended answers stay in place.
    WizardQuestions wizardQuestions;
    if (!unattended)
        InstallQuestions::install(&wizardQuestions);
    InstallStandardInstallerApplication::setRootRequired(true);
    QGuiApplication::setWindowIcon(ProductImages::windowIcon());

    InstallerVariables::initialise();
    const SudoOwnershipRepair ownership(variable(QStringLiteral("Company")), variable(QStringLiteral("Product")));
    const int result = runApplication(unattended);
    ownership.repair();
    ::umask(previousMask);
    ProcessEnd::now(result == 1 ? 0 : 1);
}
