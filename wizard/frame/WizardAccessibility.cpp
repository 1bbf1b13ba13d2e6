#include "wizard/frame/WizardAccessibility.h"

#include <QAccessibleWidget>
#include <QWidget>

namespace {

const char decorativeProperty[] = "studioDecorative";

class DecorationAccessible : public QAccessibleWidget
{
public:
    explicit DecorationAccessible(QWidget *widget) : QAccessibleWidget(widget, QAccessible::Graphic) {}

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.invisible = true;
        state.focusable = false;
        return state;
    }
};

QAccessibleInterface *decorationFactory(const QString &, QObject *object)
{
    auto *widget = qobject_cast<QWidget *>(object);
    if (widget && widget->property(decorativeProperty).toBool())
        return new DecorationAccessible(widget);
    return nullptr;
}

} // namespace

void WizardAccessibility::markDecorative(QWidget *widget)
{
    installOnce();
    widget->setProperty(decorativeProperty, true);
}

void WizardAccessibility::installOnce()
{
    static const bool installed = [] {
        QAccessible::installFactory(decorationFactory);
        return true;
    }();
    Q_UNUSED(installed);
}
