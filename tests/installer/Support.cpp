#include "Support.h"

#include "wizard/pages/InstallFindFileDialog.h"

#include <QApplication>
#include <QDirIterator>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>

bool Support::writeFile(const QString &path, const QByteArray &bytes, const QDateTime &modified)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size() && file.flush()
        && (!modified.isValid() || file.setFileTime(modified, QFileDevice::FileModificationTime));
}

QByteArray Support::readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList Support::listing(const QString &folder, const QString &filter)
{
    QStringList found;
    for (QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();) {
        const QFileInfo info(it.next());
        const QString name = info.filePath().mid(folder.size() + 1);
        if (info.isDir() ? filter.isEmpty() : name.contains(filter))
            found << name + (info.isDir() ? "/" : QString(" %1 %2").arg(info.size()).arg(readFile(info.filePath()).left(1)));
    }
    found.sort();
    return found;
}

QString Support::outcome(const std::function<QString()> &action)
{
    try {
        return action();
    } catch (const InstallUserCancelException &) {
        return "cancelled";
    } catch (const InstallException &error) {
        return "failed: " + error.message();
    }
}

bool Support::lockFolder(const QString &folder, bool lock)
{
    return lock ? QProcess::execute("mount", {"--bind", folder, folder}) == 0 && QProcess::execute("mount", {"-o", "remount,bind,ro", folder}) == 0
                : QProcess::execute("umount", {folder}) == 0;
}

bool Support::matchesGolden(const QString &file, QString text)
{
    QString name = QString(QTest::currentTestFunction()) + '-' + QTest::currentDataTag();
    const QString path = "tests/installer/golden/" + file + '/'
        + name.replace(QRegularExpression("[^A-Za-z0-9.]+"), "-").remove(QRegularExpression("-$")) + ".txt";
    text.replace(u'\r', "<CR>");
    QString golden = TestMain::goldenText(path, text + '\n');
    golden.chop(1); // the file's last line break
    return QTest::qCompare(text.split(u'\n'), golden.split(u'\n'), qPrintable(path), "golden", __FILE__, __LINE__);
}

Answers::Answers(const QList<int> &buttons, const QStringList &paths) : m_buttons(buttons), m_paths(paths)
{
    connect(&m_poll, &QTimer::timeout, this, &Answers::answerIfShown);
    m_poll.start(0);
}

void Answers::answerIfShown()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible() || modal == m_answered)
        return;
    m_answered = modal;
    if (beforeAnswer)
        beforeAnswer();
    if (auto *dialog = qobject_cast<InstallFindFileDialog *>(modal)) {
        const QString path = m_paths.isEmpty() ? QString() : m_paths.takeFirst();
        transcript << dialog->windowTitle() + " -> " + (path.isNull() ? "Cancel" : path);
        dialog->pathEdit()->setText(path);
        return path.isNull() ? dialog->onCancel() : dialog->onOk();
    }
    const int answer = m_buttons.isEmpty() ? int(Box::Cancel) : m_buttons.takeFirst();
    // The labels in creation order: the logo (no text), the heading, the message.
    for (const QLabel *label : modal->findChildren<QLabel *>())
        if (!label->text().isEmpty())
            transcript << label->text();
    auto *box = qobject_cast<Box *>(modal);
    QString buttons;
    for (int id = Box::Yes; box && id <= Box::Cancel; id <<= 1)
        if (const QPushButton *button = box->button(id))
            buttons += (button->isDefault() ? '[' + button->text() + ']' : button->text()) + ' ';
    transcript << buttons + "-> " + Box::buttonText(answer);
    if (QPushButton *button = box ? box->button(answer) : nullptr)
        button->click();
    else
        modal->close();
}
