#pragma once

#include <QSizePolicy>
#include <QWidget>

// A widget that only holds space, for layouts that want a gap as a widget.
class InstallSpacer : public QWidget
{
    Q_OBJECT
public:
    InstallSpacer(QWidget *parent, int width, int height,
                  QSizePolicy::Policy horizontalPolicy, QSizePolicy::Policy verticalPolicy);
};
