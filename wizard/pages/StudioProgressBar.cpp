#include "wizard/pages/StudioProgressBar.h"

#include <QPainter>

StudioProgressBar::StudioProgressBar(QWidget *parent) : QFrame(parent)
{
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
}

void StudioProgressBar::reset()
{
    m_progress = -1;
    repaint();
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
