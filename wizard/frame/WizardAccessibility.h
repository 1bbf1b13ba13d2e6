#pragma once

class QWidget;

// What screen readers are told about the installer's windows beyond what Qt tells them.
class WizardAccessibility
{
public:
    // Keeps a widget that is only decoration (a logo, a line) out of what screen readers
    // read out; it stays in the accessible tree marked invisible, as Qt's hidden widgets do.
    static void markDecorative(QWidget *widget);

private:
    static void installOnce();
};
