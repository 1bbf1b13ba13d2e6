#pragma once

#include <QPushButton>

// The installer's push button: every button has the same fixed width.
class InstallPushButton : public QPushButton
{
    Q_OBJECT
public:
    explicit InstallPushButton(const QString &text, QWidget *parent = nullptr);
};
