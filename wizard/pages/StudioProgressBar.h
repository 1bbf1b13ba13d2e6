#pragma once

#include <QFrame>

// A borderless bar that paints its own filled part; progress -1 means reset (empty).
class StudioProgressBar : public QFrame
{
    Q_OBJECT
public:
    explicit StudioProgressBar(QWidget *parent = nullptr);

    int totalSteps() const { return m_totalSteps; }
    int progress() const { return m_progress; }

    QSize sizeHint() const override;

public slots:
    void setTotalSteps(int totalSteps);
    void setProgress(int progress);
    void reset();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void announceValue();

    int m_totalSteps = 100;
    int m_progress = -1;
};
