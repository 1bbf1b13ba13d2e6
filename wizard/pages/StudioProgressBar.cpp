#include "wizard/pages/StudioProgressBar.h"

#include <QAccessibleWidget>
#include <QPainter>

namespace {

// The bar paints itself, so Qt does not know it is a progress bar: screen readers are
// told its role and its value here.
class ProgressBarAccessible : public QAccessibleWidget, public QAccessibleValueInterface
{
public:
    explicit ProgressBarAccessible(StudioProgressBar *bar) : QAccessibleWidget(bar, QAccessible::ProgressBar) {}

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Value)
            return QStringLiteral("%1%").arg(percent());
        return QAccessibleWidget::text(kind);
    }

    QVariant currentValue() const override { return percent(); }
    void setCurrentValue(const QVariant &) override {}
    QVariant maximumValue() const override { return 100; }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }

private:
    int percent() const
    {
        const auto *bar = static_cast<const StudioProgressBar *>(widget());
        if (bar->progress() <= 0 || bar->totalSteps() <= 0)
            return 0;
        return int(qMin<qint64>(bar->progress(), bar->totalSteps()) * 100 / bar->totalSteps());
    }
};

QAccessibleInterface *progressBarFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("StudioProgressBar"))
        return new ProgressBarAccessible(static_cast<StudioProgressBar *>(object));
    return nullptr;
}

} // namespace

StudioProgressBar::StudioProgressBar(QWidget *parent) : QFrame(parent)
{
    static const bool accessible = [] {
        QAccessible::installFactory(progressBarFactory);
        return true;
    }();
    Q_UNUSED(accessible);
    setFrameStyle(QFrame::NoFrame);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize StudioProgressBar::sizeHint() const
{
    return QSize(200, fontMetrics().height() + 4);
}

void StudioProgressBar::setTotalSteps(int totalSteps)
{
    m_totalSteps = totalSteps;
    update();
}

void StudioProgressBar::setProgress(int progress)
{
    m_progress = progress;
    update();
    announceValue();
}

void StudioProgressBar::reset()
{
    m_progress = -1;
    repaint();
    announceValue();
}

void StudioProgressBar::announceValue()
{
    if (!QAccessible::isActive())
        return;
    QAccessibleValueChangeEvent change(this, m_progress);
    QAccessible::updateAccessibility(&change);
}

void StudioProgressBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect track = rect().adjusted(0, 0, -1, -1);
    painter.setPen(palette().color(QPalette::Mid));
    painter.setBrush(palette().color(QPalette::Base));
    painter.drawRect(track);
    if (m_progress <= 0 || m_totalSteps <= 0)
        return;
    // A run may report more than it announced; the bar then simply stays full.
    const qint64 done = qMin<qint64>(m_progress, m_totalSteps);
    const int filled = int(done * (track.width() - 1) / m_totalSteps);
    if (filled > 0)
        painter.fillRect(QRect(track.left() + 1, track.top() + 1, filled, track.height() - 1),
                         palette().color(QPalette::Highlight));
}
