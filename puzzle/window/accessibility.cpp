#include "accessibility.h"

#include "picture_array.h"

#include <QAbstractButton>
#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QtGlobal>
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
#include <QAccessibleAnnouncementEvent>
#endif
#include <QPointer>
#include <QTimer>

#include <array>

namespace morvik {

namespace {

constexpr const char *roleProperty = "morvikAccessibleRole";

// One cell of the tray or the board: its column, its row and whether a piece lies there, the
// tool tip of the box shown there, and one action, the click.
class CellAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
    Q_DECLARE_TR_FUNCTIONS(Cell)

public:
    CellAccessible(PictureArray *grid, int n) : grid_(grid), n_(n) {}

    bool isValid() const override { return grid_; }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return grid_->window()->windowHandle(); }
    QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(grid_); }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return (grid_->holdsPiece(n_) ? tr("Column %1, row %2, piece") : tr("Column %1, row %2, empty"))
                .arg(n_ % 10)
                .arg(n_ / 10);
        if (t == QAccessible::Description) {
            const int box = grid_->boxAtCell(n_);
            return box >= 0 ? grid_->toolTip(box) : QString();
        }
        return {};
    }
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override
    {
        const QRect cell = grid_->cell(n_);
        return QRect(grid_->parentWidget()->mapToGlobal(cell.topLeft()), cell.size());
    }
    QAccessible::Role role() const override { return QAccessible::Button; }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        s.invisible = !grid_->isGridShown();
        s.focusable = grid_->isGridShown();
        s.focused = grid_->hasFocus() && grid_->cursorCell() == n_;
        return s;
    }
    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface *>(this) : nullptr;
    }

    QStringList actionNames() const override { return {pressAction()}; }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }
    // The click runs from the event loop, as a mouse click does: a game it completes starts the
    // next one, which yields to pending events, and must not do so inside the screen reader's call.
    void doAction(const QString &name) override
    {
        if (name == pressAction())
            QTimer::singleShot(0, grid_, [grid = grid_, n = n_] { grid->clickCell(n); });
    }

private:
    QPointer<PictureArray> grid_;
    int n_;
};

// The tray or the board, with its hundred cells as children; the cursor cell holds the focus.
class GridAccessible : public QAccessibleWidget {
public:
    GridAccessible(PictureArray *grid, QAccessible::Role role) : QAccessibleWidget(grid, role) {}
    ~GridAccessible() override
    {
        for (const QAccessible::Id id : ids_)
            if (id)
                QAccessible::deleteAccessibleInterface(id);
    }

    PictureArray *grid() const { return static_cast<PictureArray *>(widget()); }

    int childCount() const override { return 100; }
    QAccessibleInterface *child(int n) const override
    {
        if (n < 0 || n >= 100)
            return nullptr;
        // Made once and kept, so that a screen reader finds the same cell again by its id.
        if (!ids_[n])
            ids_[n] = QAccessible::registerAccessibleInterface(new CellAccessible(grid(), n));
        return QAccessible::accessibleInterface(ids_[n]);
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        for (int n = 0; n < 100; ++n)
            if (ids_[n] && QAccessible::accessibleInterface(ids_[n]) == child)
                return n;
        return -1;
    }
    QAccessibleInterface *childAt(int x, int y) const override
    {
        const QPoint point = grid()->parentWidget()->mapFromGlobal(QPoint(x, y));
        for (int n = 0; n < 100; ++n)
            if (grid()->cell(n).contains(point))
                return child(n);
        return nullptr;
    }
    QAccessibleInterface *focusChild() const override
    {
        return grid()->hasFocus() ? child(grid()->cursorCell()) : nullptr;
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.invisible = !grid()->isGridShown();
        return s;
    }

private:
    mutable std::array<QAccessible::Id, 100> ids_{};
};

// A caption-less check box or option button. Its action is a click, as the mouse's is, so that
// choosing a way to play through a screen reader starts the game, and a check box switches its
// sound: the game listens for clicks, not for the button's state.
class ToggleAccessible : public QAccessibleWidget {
public:
    ToggleAccessible(QAbstractButton *button, QAccessible::Role role) : QAccessibleWidget(button, role) {}

    QAbstractButton *button() const { return static_cast<QAbstractButton *>(widget()); }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.checkable = true;
        s.checked = button()->isChecked();
        s.pressed = button()->isDown();
        return s;
    }
    QStringList actionNames() const override { return QStringList{pressAction()} + QAccessibleWidget::actionNames(); }
    void doAction(const QString &name) override
    {
        if (name == pressAction() || name == toggleAction())
            button()->animateClick();
        else
            QAccessibleWidget::doAction(name);
    }
};

// A control that acts on a mouse click without being a button, as the "x" does. Its action is the
// click: the left button pressed and released at its centre, sent from the event loop as a mouse
// click comes, for the click may end the program.
class ClickedAccessible : public QAccessibleWidget {
public:
    using QAccessibleWidget::QAccessibleWidget;

    QStringList actionNames() const override { return QStringList{pressAction()} + QAccessibleWidget::actionNames(); }
    void doAction(const QString &name) override
    {
        if (name != pressAction())
            return QAccessibleWidget::doAction(name);
        QTimer::singleShot(0, widget(), [target = QPointer<QWidget>(widget())] {
            const QPointF centre = QRectF(target->rect()).center();
            for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
                QMouseEvent click(type, centre, target->mapToGlobal(centre), Qt::LeftButton,
                                  type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
                if (target)
                    QCoreApplication::sendEvent(target, &click);
            }
        });
    }
};

QAccessibleInterface *describedWidget(const QString &, QObject *object)
{
    const QVariant role = object->property(roleProperty);
    if (!role.isValid() || !object->isWidgetType())
        return nullptr;
    const auto accessibleRole = static_cast<QAccessible::Role>(role.toInt());
    if (auto *grid = dynamic_cast<PictureArray *>(object); grid && grid->isGrid())
        return new GridAccessible(grid, accessibleRole);
    if (auto *button = qobject_cast<QAbstractButton *>(object))
        return new ToggleAccessible(button, accessibleRole);
    if (accessibleRole == QAccessible::Button)
        return new ClickedAccessible(static_cast<QWidget *>(object), accessibleRole);
    return new QAccessibleWidget(static_cast<QWidget *>(object), accessibleRole);
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

void announce(QWidget *widget, const QString &message)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    QAccessibleAnnouncementEvent event(widget, message);
    QAccessible::updateAccessibility(&event);
#else
    Q_UNUSED(widget);
    Q_UNUSED(message);
#endif
}

}  // namespace morvik
