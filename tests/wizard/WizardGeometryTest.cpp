// The question box's geometry and the setup icons' pixels against geometry.golden.txt: a
// button a pixel wider or an outline in another colour shows here, not in the texts.

#include "common/TestMain.h"

#include "wizard/frame/InstallCheckMessageBox.h"
#include "wizard/frame/InstallSeparator.h"
#include "wizard/pages/CustomSetupImages.h"

#include <QCryptographicHash>
#include <QtTest>
#include <QtWidgets>

namespace {

QString pixelsOf(const QPixmap &pixmap)
{
    const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    const QByteArray bytes(reinterpret_cast<const char *>(image.constBits()), image.sizeInBytes());
    return QStringLiteral("%1x%2 %3").arg(image.width()).arg(image.height())
            .arg(QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex().left(16)));
}

// Every visible widget below `parent`, in creation order, with its place in the window.
void describeGeometry(const QWidget *window, const QWidget *parent, QString *out)
{
    for (const QObject *child : parent->children()) {
        const auto *widget = qobject_cast<const QWidget *>(child);
        if (!widget || !widget->isVisibleTo(window))
            continue;
        const QRect place(widget->mapTo(window, QPoint(0, 0)), widget->size());
        const auto *button = qobject_cast<const QAbstractButton *>(widget);
        const auto *label = qobject_cast<const QLabel *>(widget);
        const QString text = button ? button->text() : label ? label->text().left(30) : QString();
        *out += QStringLiteral("%1 '%2' at %3,%4 size %5x%6\n").arg(widget->metaObject()->className(), text)
                        .arg(place.x()).arg(place.y()).arg(place.width()).arg(place.height());
        describeGeometry(window, widget, out);
    }
}

} // namespace

class WizardGeometryTest : public QObject
{
    Q_OBJECT

private slots:
    void boxAndIcons()
    {
        QString text = QStringLiteral("will install: %1\nnot installed: %2\nwith subfeatures: %3\n")
                               .arg(pixelsOf(CustomSetupImages::willInstallIcon()), pixelsOf(CustomSetupImages::notInstalledIcon()),
                                    pixelsOf(CustomSetupImages::choiceIcon(1)));
        for (const int buttons : {511, int(InstallCheckMessageBox::YesNoAllCancel), int(InstallCheckMessageBox::Ok)}) {
            InstallCheckMessageBox box(QStringLiteral("Older version of fwStudio already exists"),
                                       QStringLiteral("Do you want to overwrite it?<p>A second paragraph."), buttons,
                                       InstallCheckMessageBox::Yes);
            box.show();
            QVERIFY(QTest::qWaitForWindowExposed(&box));
            text += QStringLiteral("box with buttons %1: %2x%3\n").arg(buttons).arg(box.width()).arg(box.height());
            describeGeometry(&box, &box, &text);
        }
        QWidget frame;
        InstallSeparator separator(&frame);
        separator.setFixedWidth(400);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        text += QStringLiteral("separator: %1x%2\n").arg(separator.width()).arg(separator.height());
        describeGeometry(&frame, &separator, &text);
        QCOMPARE(text.split(u'\n'), TestMain::goldenText("tests/wizard/geometry.golden.txt", text).split(u'\n'));
    }
};

STUDIO_TEST_CLASS(WizardGeometryTest)
#include "WizardGeometryTest.moc"
