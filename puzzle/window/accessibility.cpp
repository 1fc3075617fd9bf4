#include "accessibility.h"

#include <QAccessibleWidget>

namespace morvik {

namespace {

constexpr const char *roleProperty = "morvikAccessibleRole";

QAccessibleInterface *describedWidget(const QString &, QObject *object)
{
    const QVariant role = object->property(roleProperty);
    if (!role.isValid() || !object->isWidgetType())
        return nullptr;
    return new QAccessibleWidget(static_cast<QWidget *>(object), static_cast<QAccessible::Role>(role.toInt()));
}

}  // namespace

void describe(QWidget *widget, QAccessible::Role role, const QString &name, const QString &description)
{
    static const bool installed = (QAccessible::installFactory(describedWidget), true);
    Q_UNUSED(installed);
    widget->setProperty(roleProperty, int(role));
    widget->setAccessibleName(name);
    widget->setAccessibleDescription(description);
}

}  // namespace morvik
