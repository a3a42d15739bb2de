// EditBox: one-line (QLineEdit) and multi-line (QPlainTextEdit) edit boxes.
#include <limits>

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>

#include "ui/controls.h"
#include "ui/qt_support.h"

namespace torvane {
namespace {

// A multi-line box shows one paragraph per line; internal text separates lines with CR LF.
QString ToMultiLine(const std::string& internal) {
  QString text = ToQt(internal);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

std::string FromMultiLine(const QString& raw) {
  QString text = raw;
  text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
  text.replace(QChar::LineSeparator, QLatin1Char('\n'));
  text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
  return FromQt(text);
}

bool Allowed(InputKind kind, QChar c) {
  // Control characters pass, DEL (the text of the Delete key on X11) among them.
  if (c.unicode() < 32 || c.unicode() == 0x7F) return true;
  switch (kind) {
    case InputKind::kPlain:
      return true;
    case InputKind::kInteger:
      return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('-');
    case InputKind::kDecimal:
      return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('-') ||
             c == QLatin1Char('.');
  }
  return true;
}

bool AllAllowed(InputKind kind, const QString& text) {
  for (QChar c : text) {
    if (!Allowed(kind, c)) return false;
  }
  return true;
}

}  // namespace

struct EditBox::Impl {
  InputKind kind = InputKind::kPlain;
  bool program_change = false;
  // The text the program set last, and what the box gave back for it right after. While the box
  // still gives back exactly that, Content returns the text as it was set: line breaks a multi-line
  // box would turn into CR LF, or bytes that have no character, come back unchanged, so a value
  // shown and written back untouched is not altered.
  std::string set_text;
  std::string set_reading;
  bool has_set = false;
};

namespace {

std::string ReadBox(QWidget* w) {
  if (auto* line = qobject_cast<QLineEdit*>(w)) return FromQt(line->text());
  if (auto* multi = qobject_cast<QPlainTextEdit*>(w))
    return FromMultiLine(multi->document()->toRawText());
  return "";
}

}  // namespace

EditBox::EditBox(QWidget* edit) : Control(edit), impl_(std::make_unique<Impl>()) {
  // Plain input until the window's layout says otherwise (SetInputKind).
  if (!edit) return;

  auto changed = [this] {
    if (!impl_->program_change && on_content_changed) on_content_changed();
  };
  if (auto* line = qobject_cast<QLineEdit*>(edit)) {
    // No length limit of the widget's own (it would cut long field values).
    line->setMaxLength(std::numeric_limits<int>::max());
    QObject::connect(line, &QLineEdit::textChanged, hook(), changed);
  } else if (auto* multi = qobject_cast<QPlainTextEdit*>(edit)) {
    QObject::connect(multi, &QPlainTextEdit::textChanged, hook(), changed);
  }

  // Only typed characters are filtered: pastes and text set by the program pass unchanged, which a
  // validator would not allow.
  auto* filter = new EventHook(
      [this](QObject*, QEvent* event) {
        if (impl_->kind == InputKind::kPlain) return false;
        if (event->type() == QEvent::KeyPress) {
          const auto* key = static_cast<QKeyEvent*>(event);
          // Ctrl+V, Ctrl+A and the like are commands, not typed characters.
          if (key->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)) return false;
          return !key->text().isEmpty() && !AllAllowed(impl_->kind, key->text());
        }
        if (event->type() == QEvent::InputMethod) {
          const QString text = static_cast<QInputMethodEvent*>(event)->commitString();
          return !text.isEmpty() && !AllAllowed(impl_->kind, text);
        }
        return false;
      },
      hook());
  edit->installEventFilter(filter);
}
EditBox::~EditBox() = default;

std::string EditBox::Content() const {
  std::string reading = ReadBox(widget());
  if (impl_->has_set && reading == impl_->set_reading) return impl_->set_text;
  return reading;
}

void EditBox::SetContent(const std::string& text) {
  QWidget* w = widget();
  if (!w) return;
  impl_->program_change = true;
  if (auto* line = qobject_cast<QLineEdit*>(w)) {
    line->setText(ToQt(text));
    // A line the user only reads (a summary) shows its beginning, not its scrolled end.
    if (line->isReadOnly()) line->setCursorPosition(0);
  } else if (auto* multi = qobject_cast<QPlainTextEdit*>(w)) {
    multi->setPlainText(ToMultiLine(text));
  }
  impl_->set_text = text;
  impl_->set_reading = ReadBox(w);
  impl_->has_set = true;
  impl_->program_change = false;
  if (on_content_changed) on_content_changed();
}

void EditBox::Append(const std::string& text) {
  QWidget* w = widget();
  if (!w) return;
  impl_->program_change = true;
  if (auto* line = qobject_cast<QLineEdit*>(w)) {
    line->setText(line->text() + ToQt(text));
    line->end(false);
  } else if (auto* multi = qobject_cast<QPlainTextEdit*>(w)) {
    QTextCursor cursor = multi->textCursor();
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(ToMultiLine(text));
    multi->setTextCursor(cursor);
    multi->ensureCursorVisible();
  }
  impl_->program_change = false;
  if (on_content_changed) on_content_changed();
}

void EditBox::InsertAtCaret(const std::string& text) {
  QWidget* w = widget();
  if (!w) return;
  impl_->program_change = true;
  if (auto* line = qobject_cast<QLineEdit*>(w)) {
    // QLineEdit::insert refuses nothing here: the box has no validator or input mask.
    line->insert(ToQt(text));
  } else if (auto* multi = qobject_cast<QPlainTextEdit*>(w)) {
    QTextCursor cursor = multi->textCursor();
    cursor.insertText(ToMultiLine(text));
    multi->setTextCursor(cursor);
    multi->ensureCursorVisible();
  }
  impl_->program_change = false;
  if (on_content_changed) on_content_changed();
}

void EditBox::SetReadOnly(bool read_only) {
  if (auto* line = qobject_cast<QLineEdit*>(widget())) line->setReadOnly(read_only);
  if (auto* multi = qobject_cast<QPlainTextEdit*>(widget())) multi->setReadOnly(read_only);
}

bool EditBox::IsReadOnly() const {
  if (auto* line = qobject_cast<QLineEdit*>(widget())) return line->isReadOnly();
  if (auto* multi = qobject_cast<QPlainTextEdit*>(widget())) return multi->isReadOnly();
  return false;
}

void EditBox::SetInputKind(InputKind kind) { impl_->kind = kind; }

InputKind EditBox::GetInputKind() const { return impl_->kind; }

void EditBox::Focus() {
  if (QWidget* w = widget()) w->setFocus(Qt::OtherFocusReason);
}

}  // namespace torvane
