#pragma once
#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

// Runs `act` on the next visible top-level widget of type W (a dialog, a
// message box), from inside whatever event loop is then waiting for it.
template <class W>
void WhenShown(std::function<void(W*)> act)
{
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* target = qobject_cast<W*>(w); target && target->isVisible()) {
                timer->stop();
                timer->deleteLater();
                act(target);
                return;
            }
    });
    timer->start(5);
}
