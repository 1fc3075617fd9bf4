#pragma once

#include <QApplication>
#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <functional>

namespace morvik {

// The application object. It shows every typed character meant for a widget of one window to
// that window's key handler first, whichever of its controls has the focus; the key then goes on
// to the focused control as usual.
class Application : public QApplication {
public:
    Application(int &argc, char **argv);

    void setKeyPreview(QWidget *window, std::function<void(std::int16_t)> preview);
    bool notify(QObject *receiver, QEvent *event) override;

private:
    QPointer<QWidget> window_;
    std::function<void(std::int16_t)> preview_;
};

}  // namespace morvik
