#include "app/console/TextProgressBar.h"

namespace {

QByteArray formatted(const char *format, double value)
{
    char buffer[64];
    const int length = std::snprintf(buffer, sizeof buffer, format, value);
    return QByteArray(buffer, qBound(0, length, int(sizeof buffer) - 1));
}

} // namespace

TextProgressBar::TextProgressBar(int width, FILE *output)
    : m_width(width)
    , m_output(output)
{
}

int TextProgressBar::barWidth() const
{
    return m_barWidth;
}

bool TextProgressBar::showElapsedTime() const
{
    return m_showElapsedTime;
}

void TextProgressBar::progress(int step, int steps, QString taskdesc, const char *units)
{
    if (!taskdesc.isEmpty()) {
        m_taskdesc = taskdesc;
        m_barWidth = m_width - int(taskdesc.toLocal8Bit().size()) - 10;
        m_timer.restart();
    }
    if (units)
        m_units = units;
    if (steps != -1)
        m_steps = steps;
    if (step != -1)
        m_step = step;

    // Once a task has completed its text is gone and further calls stay silent.
    if (!m_taskdesc.isEmpty()) {
        draw();
        if (m_step == m_steps)
            printCompletion();
    }
    std::fflush(m_output);
}

void TextProgressBar::progress(int step, int steps, QString taskdesc)
{
    progress(step, steps, taskdesc, nullptr);
}

void TextProgressBar::progress(int step, int steps)
{
    progress(step, steps, QString(), nullptr);
}

void TextProgressBar::progress(int step)
{
    progress(step, -1, QString(), nullptr);
}

void TextProgressBar::message(QString msg)
{
    clearLine();
    write(msg.toLocal8Bit() + '\n');
    draw();
    std::fflush(m_output);
}

void TextProgressBar::clearLine()
{
    QByteArray line(1, '\r');
    if (m_width > 1)
        line.append(QByteArray(m_width - 1, ' '));
    line.append('\r');
    write(line);
}

void TextProgressBar::setShowElapsedTime(bool show)
{
    m_showElapsedTime = show;
}

qint64 TextProgressBar::elapsedMilliseconds() const
{
    return m_timer.isValid() ? m_timer.elapsed() : 0;
}

void TextProgressBar::draw()
{
    if (m_taskdesc.isEmpty())
        return;
    const double fraction = m_step == 0 ? 0.0 : double(m_step) / double(m_steps);
    const int filled = m_step == 0 ? 0 : int(fraction * m_barWidth);
    const int percent = m_step == 0 ? 0 : int(fraction * 100);

    QByteArray line;
    line.reserve(m_width + 16);
    line.append('\r').append(m_taskdesc.toLocal8Bit()).append(" [");
    int cell = 0;
    for (; cell < filled; ++cell)
        line.append('*');
    for (; cell < m_barWidth; ++cell)
        line.append('.');
    line.append("] ");
    char number[32];
    const int length = std::snprintf(number, sizeof number, "%3d%% ", percent);
    line.append(number, qBound(0, length, int(sizeof number) - 1));
    write(line);
}

void TextProgressBar::printCompletion()
{
    clearLine();
    QByteArray line = m_taskdesc.toLocal8Bit() + " completed";
    if (m_showElapsedTime) {
        const qint64 elapsed = elapsedMilliseconds();
        if (elapsed > 1000)
            line += formatted(" in %0.1f seconds", elapsed / 1000.0);
        else
            line += formatted(" in %0.1f milliseconds", double(elapsed));
        if (!m_units.isEmpty()) {
            const double seconds = (elapsed == 0 ? 1 : elapsed) / 1000.0;
            line += formatted(" (%0.1f ", m_step / seconds) + m_units + "/sec)";
        }
    }
    write(line + '\n');
    m_taskdesc.clear();
    m_units.clear();
}

void TextProgressBar::write(const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), m_output);
}
