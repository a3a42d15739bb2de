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

// A multi-line box lays out each line as a whole: a line of millions of characters takes seconds to
// show. A text with a line longer than this, or longer than kShownTextBytes in all, is shown
// folded instead (Fold).
constexpr qsizetype kLongestLaidOutLine = 64 * 1024;
// The most of a text a box shows, in bytes of internal text; the rest is held, not shown.
constexpr std::size_t kShownTextBytes = 8 * 1024 * 1024;
// Length of the pieces a folded line is shown in.
constexpr qsizetype kFoldedLine = 2000;

// Whether `text` has a line too long to be laid out at once.
bool HasLongLine(const std::string& text) {
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text.size();
    if (static_cast<qsizetype>(end - start) > kLongestLaidOutLine) return true;
    start = end + 1;
  }
  return false;
}

// What a box shows of a long text: its first kShownTextBytes, every line cut into pieces of
// kFoldedLine characters (never between the halves of a surrogate pair), and a last line saying how
// much is not shown.
QString Fold(const std::string& internal) {
  const bool cut = internal.size() > kShownTextBytes;
  const QString text = ToMultiLine(cut ? internal.substr(0, kShownTextBytes) : internal);
  QString folded;
  folded.reserve(text.size() + text.size() / kFoldedLine + 64);
  qsizetype line = 0;
  for (qsizetype at = 0; at < text.size(); ++at) {
    const QChar c = text[at];
    if (c == QLatin1Char('\n')) {
      line = 0;
    } else if (line >= kFoldedLine && !c.isLowSurrogate()) {
      folded += QLatin1Char('\n');
      line = 0;
    }
    folded += c;
    ++line;
  }
  if (cut) {
    folded += QStringLiteral("\n……（全文共 %1 字节，这里只显示开头的 %2 字节）")
                  .arg(internal.size())
                  .arg(kShownTextBytes);
  }
  return folded;
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
  // Whether the box shows set_text folded (Fold): read only then, and Content is set_text. The
  // box's own read-only state to go back to once a text is shown plainly again.
  bool folded = false;
  bool own_read_only = false;
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
  if (impl_->folded) return impl_->set_text;
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
    // A text too long to be laid out at once is shown folded and cannot be changed in the box:
    // what the box holds stays exactly the text set, for writing back or saving to a file.
    const bool fold = text.size() > kShownTextBytes || HasLongLine(text);
    if (fold && !impl_->folded) impl_->own_read_only = multi->isReadOnly();
    if (!fold && impl_->folded) multi->setReadOnly(impl_->own_read_only);
    impl_->folded = fold;
    if (fold) {
      multi->setReadOnly(true);
      multi->setPlainText(Fold(text));
    } else {
      multi->setPlainText(ToMultiLine(text));
    }
  }
  impl_->set_text = text;
  impl_->set_reading = impl_->folded ? std::string() : ReadBox(w);
  impl_->has_set = true;
  impl_->program_change = false;
  if (on_content_changed) on_content_changed();
}

void EditBox::Append(const std::string& text) {
  QWidget* w = widget();
  if (!w) return;
  // A folded text has no caret that stands for a place in it: what is added goes at its end.
  if (impl_->folded) {
    SetContent(impl_->set_text + text);
    return;
  }
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
  if (impl_->folded) {
    SetContent(impl_->set_text + text);
    return;
  }
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
  if (auto* multi = qobject_cast<QPlainTextEdit*>(widget())) {
    // A folded text stays read only; the state asked for holds once a text is shown plainly.
    if (impl_->folded) {
      impl_->own_read_only = read_only;
    } else {
      multi->setReadOnly(read_only);
    }
  }
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
