#pragma once

#include <QWidget>

// A sunken horizontal line, inset by four pixels on each side.
class InstallSeparator : public QWidget
{
    Q_OBJECT
public:
    explicit InstallSeparator(QWidget *parent = nullptr);
};
