#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <cstdio>

// A one-line progress bar for the terminal, redrawn in place with carriage returns:
// the task text, the bar cells and the percentage, then a completion line when the
// last step is reached.
class TextProgressBar : public QObject
{
    Q_OBJECT

public:
    // The bar writes to output (standard output unless a test gives another stream).
    explicit TextProgressBar(int width, FILE *output = stdout);

    int barWidth() const;
    bool showElapsedTime() const;

public slots:
    // A non-empty task starts a new bar; steps and step of -1 keep what was stored,
    // a null units keeps the earlier unit name.
    void progress(int step, int steps, QString taskdesc, const char *units);
    void progress(int step, int steps, QString taskdesc);
    void progress(int step, int steps);
    void progress(int step);
    // Prints msg on a line of its own above the bar.
    void message(QString msg);
    void clearLine();
    void setShowElapsedTime(bool show);

protected:
    // Milliseconds since the task started.
    virtual qint64 elapsedMilliseconds() const;

private:
    void draw();
    void printCompletion();
    void write(const QByteArray &bytes);

    int m_width;
    int m_steps = 0;
    int m_step = 0;
    QString m_taskdesc;
    QByteArray m_units;
    int m_barWidth = 0;
    QElapsedTimer m_timer;
    bool m_showElapsedTime = true;
    FILE *m_output;
};
