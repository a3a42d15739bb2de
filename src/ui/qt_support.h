#pragma once

// Helpers shared by the Qt side of the contract (ui/ only): text conversion and event filters.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include <QEvent>
#include <QObject>
#include <QString>
#include <QStringView>

#include "base/codec.h"

namespace torvane {

// Internal text -> QString, through the one codec, without a detour through UTF-8 (Qt's own UTF-8
// conversion would turn the escape units of undecodable bytes into U+FFFD). Lossless: FromQt gives
// back exactly `internal`.
inline QString ToQt(std::string_view internal) {
  if (internal.empty()) return QString();
  // The codec writes at most one unit per byte, straight into the string's own buffer.
  QString text(static_cast<qsizetype>(internal.size()), Qt::Uninitialized);
  const std::size_t units = ToUtf16(internal, reinterpret_cast<char16_t*>(text.data()));
  text.resize(static_cast<qsizetype>(units));
  // Chinese text needs half the room it was given; a long value should not keep the rest.
  if (internal.size() - units > 64) text.squeeze();
  return text;
}

// QString -> internal text, through the one codec.
inline std::string FromQt(const QString& text) {
  return FromUtf16(
      std::u16string_view(QStringView(text).utf16(), static_cast<size_t>(text.size())));
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
