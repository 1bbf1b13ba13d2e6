#include "wizard/frame/InstallPushButton.h"

InstallPushButton::InstallPushButton(const QString &text, QWidget *parent)
    : QPushButton(text, parent)
{
    setFixedWidth(88);
}
