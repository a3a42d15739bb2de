#pragma once

// Helpers shared by the Qt side of the contract (ui/ only): text conversion and event filters.

#include <functional>
#include <string>
#include <utility>

#include <QByteArray>
#include <QEvent>
#include <QObject>
#include <QString>

#include "base/codec.h"

namespace torvane {

// Internal text -> QString, through the one codec.
inline QString ToQt(const std::string& internal) {
  const std::string utf8 = ToUtf8(internal);
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// QString -> internal text, through the one codec.
inline std::string FromQt(const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  return FromUtf8(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
}

// An event filter that calls a function; returning true swallows the event. Install it on as many
// objects as needed; deleting it removes it from all of them.
class EventHook : public QObject {
 public:
  using Filter = std::function<bool(QObject* watched, QEvent* event)>;
  explicit EventHook(Filter filter, QObject* parent = nullptr)
      : QObject(parent), filter_(std::move(filter)) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    return filter_ ? filter_(watched, event) : false;
  }

 private:
  Filter filter_;
};

}  // namespace torvane
