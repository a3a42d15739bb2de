#pragma once

// Answers a modal dialog of the real Qt services from a timer while it runs.

#include <functional>

#include <QApplication>
#include <QTimer>

namespace torvane {

// Runs `answer` on the first application-modal widget of type T once it is shown.
template <typename T>
void WhenShown(std::function<void(T*)> answer) {
  auto* timer = new QTimer;
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [timer, answer] {
    if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
      timer->stop();
      timer->deleteLater();
      answer(dialog);
    }
  });
  timer->start();
}

}  // namespace torvane
