#pragma once

#include <QAccessible>
#include <QString>
#include <QWidget>

namespace morvik {

// Gives a control a name and a role for screen readers (over AT-SPI on Linux), for the window's
// own kinds of control, which Qt would otherwise show as nameless fillers.
void describe(QWidget *widget, QAccessible::Role role, const QString &name, const QString &description = {});

// Has a screen reader say the message, as coming from the widget, where Qt can (6.8 and later).
// Before that, the widget's name, which the caller keeps up to date too, is all a reader hears.
void announce(QWidget *widget, const QString &message);

}  // namespace morvik
