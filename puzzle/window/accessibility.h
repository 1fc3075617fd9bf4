#pragma once

#include <QAccessible>
#include <QString>
#include <QWidget>

namespace morvik {

// Gives a control a name and a role for screen readers (over AT-SPI on Linux), for the window's
// own kinds of control, which Qt would otherwise show as nameless fillers.
void describe(QWidget *widget, QAccessible::Role role, const QString &name, const QString &description = {});

}  // namespace morvik
