#include "application.h"

#include <QKeyEvent>
#include <QWidget>

namespace morvik {

Application::Application(int &argc, char **argv) : QApplication(argc, argv) {}

void Application::setKeyPreview(QWidget *window, std::function<void(std::int16_t)> preview)
{
    window_ = window;
    preview_ = std::move(preview);
}

// Called once for each event sent, with the widget it is meant for; the passing on to parent
// widgets happens inside QApplication::notify.
bool Application::notify(QObject *receiver, QEvent *event)
{
    // Tab and Shift+Tab move the focus and type nothing, though the system gives them a text.
    if (event->type() == QEvent::KeyPress && window_ && receiver->isWidgetType()
        && static_cast<QWidget *>(receiver)->window() == window_
        && static_cast<QKeyEvent *>(event)->key() != Qt::Key_Tab
        && static_cast<QKeyEvent *>(event)->key() != Qt::Key_Backtab) {
        const QString text = static_cast<QKeyEvent *>(event)->text();
        for (const QChar c : text)
            preview_(static_cast<std::int16_t>(c.unicode()));
    }
    return QApplication::notify(receiver, event);
}

}  // namespace morvik
