#include "common/TestMain.h"

#include <QByteArrayList>

#include <utility>
#include <vector>

namespace {

std::vector<std::pair<QByteArray, TestMain::Factory>> &registered()
{
    static std::vector<std::pair<QByteArray, TestMain::Factory>> classes;
    return classes;
}

} // namespace

namespace TestMain {

Registration::Registration(const char *name, Factory factory)
{
    registered().emplace_back(name, std::move(factory));
}

int runAll(int argc, char **argv)
{
    QByteArrayList chosen;
    std::vector<char *> passedOn;
    for (int index = 0; index < argc; ++index) {
        if (qstrcmp(argv[index], "-class") == 0 && index + 1 < argc)
            chosen << argv[++index];
        else
            passedOn.push_back(argv[index]);
    }
    int failures = 0;
    for (const auto &[name, factory] : registered()) {
        if (!chosen.isEmpty() && !chosen.contains(name))
            continue;
        const std::unique_ptr<QObject> test = factory();
        failures += QTest::qExec(test.get(), int(passedOn.size()), passedOn.data());
    }
    return failures == 0 ? 0 : 1;
}

QString goldenText(const QString &path, const QString &text)
{
    QFile file(QStringLiteral(STUDIO_SOURCE_DIR "/") + path);
    if (qEnvironmentVariable("STUDIO_UPDATE_GOLDEN") == QLatin1String("1") && file.open(QIODevice::WriteOnly))
        file.write(text.toUtf8()), file.close();
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : "cannot read " + file.fileName();
}

} // namespace TestMain
