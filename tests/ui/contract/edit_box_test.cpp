// Edit boxes: content-changed rules, typed-character filtering, CR LF line breaks, read-only.
#include <gtest/gtest.h>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextCursor>

#include "base/codec.h"
#include "base/text.h"
#include "ui/controls.h"

namespace torvane {
namespace {

std::string In(const char* utf8) { return FromUtf8(utf8); }

TEST(EditBox, RaisesContentChangedForEveryChangeAlsoByTheProgram) {
  QLineEdit line;
  QPlainTextEdit multi;
  for (QWidget* widget : {static_cast<QWidget*>(&line), static_cast<QWidget*>(&multi)}) {
    EditBox box(widget);
    int events = 0;
    box.on_content_changed = [&] { ++events; };
    struct {
      const char* what;
      std::function<void()> act;
      int events;
    } cases[] = {
        {"program sets the content", [&] { box.SetContent("abc"); }, 1},
        {"program sets the same content again", [&] { box.SetContent("abc"); }, 1},
        {"program appends", [&] { box.Append("d"); }, 1},
        {"program inserts at the caret", [&] { box.InsertAtCaret("e"); }, 1},
        {"user types two characters", [&] { QTest::keyClicks(widget, "xy"); }, 2},
        {"user presses backspace", [&] { QTest::keyClick(widget, Qt::Key_Backspace); }, 1},
    };
    for (const auto& c : cases) {
      events = 0;
      c.act();
      EXPECT_EQ(events, c.events) << c.what << " in " << widget->metaObject()->className();
    }
  }
}

TEST(EditBox, DeleteKeyWorksInNumberBoxes) {
  for (InputKind kind : {InputKind::kInteger, InputKind::kDecimal}) {
    QLineEdit line;
    EditBox box(&line);
    box.SetInputKind(kind);
    box.SetContent("123");
    line.setCursorPosition(0);
    // The Delete key carries the character DEL (0x7F) on X11: a control character, never filtered.
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier, QString(QChar(0x7F)));
    QApplication::sendEvent(&line, &press);
    EXPECT_EQ(box.Content(), "23");
  }
}

TEST(EditBox, GivesBackWhatTheProgramSetWhileUntouched) {
  const std::string long_text(40000, 'x');
  struct {
    const char* what;
    std::string text;
  } cases[] = {
      {"lone line feeds and carriage returns", "a\nb\rc\r\nd"},
      {"bytes without a character", "ok\xFF\x80"},
      {"more than 32767 characters", long_text},
  };
  QLineEdit line;
  QPlainTextEdit multi;
  for (QWidget* widget : {static_cast<QWidget*>(&line), static_cast<QWidget*>(&multi)}) {
    EditBox box(widget);
    for (const auto& c : cases) {
      box.SetContent(c.text);
      EXPECT_EQ(box.Content(), c.text) << c.what << " in " << widget->metaObject()->className();
    }
  }
  // Once the user has changed the text, the box gives back what it shows, lines joined by CR LF.
  EditBox box(&multi);
  box.SetContent("a\nb");
  multi.moveCursor(QTextCursor::End);
  QTest::keyClicks(&multi, "c");
  EXPECT_EQ(box.Content(), "a\r\nbc");
}

TEST(EditBox, FiltersTypedCharactersByInputKind) {
  struct {
    InputKind kind;
    const char* typed;
    const char* content;
  } cases[] = {
      {InputKind::kPlain, "a-1.5x", "a-1.5x"},   {InputKind::kInteger, "12a-3.4", "12-34"},
      {InputKind::kInteger, "--5", "--5"},       {InputKind::kInteger, " +7e", "7"},
      {InputKind::kDecimal, "-1.5e3x", "-1.53"}, {InputKind::kDecimal, "..9", "..9"},
  };
  for (const auto& c : cases) {
    QLineEdit line;
    EditBox box(&line);
    box.SetInputKind(c.kind);
    QTest::keyClicks(&line, c.typed);
    EXPECT_EQ(box.Content(), c.content) << "typed " << c.typed;
  }
}

TEST(EditBox, TwoMinusSignsAndADigitReadAsZero) {
  QLineEdit line;
  EditBox box(&line);
  box.SetInputKind(InputKind::kInteger);
  QTest::keyClick(&line, Qt::Key_Minus);
  QTest::keyClick(&line, Qt::Key_Minus);
  QTest::keyClick(&line, Qt::Key_5);
  EXPECT_EQ(box.Content(), "--5");
  EXPECT_EQ(ToNumber(box.Content()), 0.0);
}

TEST(EditBox, ControlCharactersProgramTextAndPastesAreNotFiltered) {
  QLineEdit line;
  EditBox box(&line);
  box.SetInputKind(InputKind::kInteger);
  box.SetContent("abc");
  EXPECT_EQ(box.Content(), "abc");
  QTest::keyClick(&line, Qt::Key_End);
  QTest::keyClick(&line, Qt::Key_Backspace);  // a control character: passes
  EXPECT_EQ(box.Content(), "ab");
  box.InsertAtCaret("x.y");
  EXPECT_EQ(box.Content(), "abx.y");

  QApplication::clipboard()->setText(QStringLiteral("q-1"));
  QTest::keyClick(&line, Qt::Key_V, Qt::ControlModifier);  // paste by the user: not filtered
  EXPECT_EQ(box.Content(), "abx.yq-1");
}

TEST(EditBox, MultiLineContentUsesCrLf) {
  struct {
    const char* set;
    const char* read;
  } cases[] = {
      {"a\r\nb", "a\r\nb"},
      {"\r\nfirst\r\nsecond", "\r\nfirst\r\nsecond"},
      {"lone\nlf", "lone\nlf"},  // untouched text comes back as it was set
      {"lone\rcr", "lone\rcr"},
      {"", ""},
      {"\xC2\xA0nbsp kept", "\xC2\xA0nbsp kept"},
  };
  for (const auto& c : cases) {
    QPlainTextEdit multi;
    EditBox box(&multi);
    box.SetContent(In(c.set));
    EXPECT_EQ(box.Content(), In(c.read)) << c.set;
  }
  // Text the box holds otherwise separates its lines with CR LF.
  QPlainTextEdit multi;
  EditBox box(&multi);
  box.Append("lone\nlf");
  EXPECT_EQ(box.Content(), "lone\r\nlf");
}

TEST(EditBox, AppendAddsAtTheEndAndMovesTheCaretThere) {
  QPlainTextEdit multi;
  EditBox box(&multi);
  box.SetContent("start");
  QTextCursor cursor = multi.textCursor();
  cursor.setPosition(0);
  multi.setTextCursor(cursor);
  box.Append("\r\n" + In("第一行"));
  box.Append("\r\nline 2");
  EXPECT_EQ(box.Content(), "start\r\n" + In("第一行") + "\r\nline 2");
  EXPECT_TRUE(multi.textCursor().atEnd());
}

TEST(EditBox, InsertAtCaretReplacesTheSelection) {
  QLineEdit line;
  EditBox line_box(&line);
  line_box.SetContent("select * from t");
  line.setSelection(14, 1);
  line_box.InsertAtCaret(In("表一"));
  EXPECT_EQ(line_box.Content(), "select * from " + In("表一"));

  QPlainTextEdit multi;
  EditBox multi_box(&multi);
  multi_box.SetContent("a\r\nXYZ\r\nc");
  QTextCursor cursor = multi.textCursor();
  cursor.setPosition(2);
  cursor.setPosition(5, QTextCursor::KeepAnchor);
  multi.setTextCursor(cursor);
  multi_box.InsertAtCaret("b1\r\nb2");
  EXPECT_EQ(multi_box.Content(), "a\r\nb1\r\nb2\r\nc");
}

TEST(EditBox, ReadOnlyBoxRefusesTheUserButNotTheProgram) {
  QLineEdit line;
  QPlainTextEdit multi;
  for (QWidget* widget : {static_cast<QWidget*>(&line), static_cast<QWidget*>(&multi)}) {
    EditBox box(widget);
    box.SetReadOnly(true);
    EXPECT_TRUE(box.IsReadOnly());
    box.SetContent("fixed");
    QTest::keyClicks(widget, "typed");
    EXPECT_EQ(box.Content(), "fixed") << widget->metaObject()->className();
    box.Append("+more");
    EXPECT_EQ(box.Content(), "fixed+more") << widget->metaObject()->className();
  }
}

// A long summary in a read-only line shows its beginning; a box the user types into keeps the
// caret at the end of what the program put there.
// A text with a line too long to lay out at once, or too long to show whole, is shown folded and
// read only, and given back exactly as it was set, bytes without a character included; a text
// shown plainly afterwards makes the box what it was.
TEST(EditBox, ALongTextIsShownFoldedAndGivenBackWhole) {
  QPlainTextEdit multi;
  multi.resize(300, 200);
  multi.show();
  EditBox box(&multi);
  const std::string line(5'000'000, 'x');
  std::string spaced;
  for (int i = 0; i < 300'000; ++i) spaced += In("长文 ");
  const std::string huge = std::string(9 * 1024 * 1024, 'y') + "\xff\r\nend";
  for (const std::string* text : {&line, static_cast<const std::string*>(&spaced), &huge}) {
    box.SetContent(*text);
    QApplication::processEvents();
    multi.grab();
    EXPECT_TRUE(multi.isReadOnly());
    EXPECT_TRUE(box.IsReadOnly());
    EXPECT_EQ(box.Content(), *text);
    EXPECT_GT(multi.document()->blockCount(), 100);
  }
  EXPECT_TRUE(multi.toPlainText().endsWith(
      QStringLiteral("y\n……（全文共 9437190 字节，这里只显示开头的 8388608 字节）")));
  box.Append("+");
  EXPECT_EQ(box.Content(), huge + "+");

  box.SetContent(In("短的\r\n文本"));
  EXPECT_FALSE(multi.isReadOnly());
  EXPECT_EQ(box.Content(), In("短的\r\n文本"));
  box.SetReadOnly(true);
  box.SetContent(line);
  box.SetReadOnly(false);  // the folded text stays read only
  EXPECT_TRUE(multi.isReadOnly());
  box.SetContent("abc");
  EXPECT_FALSE(multi.isReadOnly());
}

TEST(EditBox, AReadOnlyLineShowsTheBeginningOfItsText) {
  QLineEdit summary;
  summary.resize(80, 20);
  EditBox box(&summary);
  box.SetReadOnly(true);
  box.SetContent(std::string(200, 'x') + "end");
  EXPECT_EQ(summary.cursorPosition(), 0);
  QLineEdit input;
  EditBox typed(&input);
  typed.SetContent("12");
  EXPECT_EQ(input.cursorPosition(), 2);
}

TEST(EditBox, ChineseTextRoundTripsAsInternalText) {
  QLineEdit line;
  EditBox box(&line);
  const std::string text = In("数据库结构：😀");
  box.SetContent(text);
  EXPECT_EQ(line.text(), QString::fromUtf8("数据库结构：😀"));
  EXPECT_EQ(box.Content(), text);
}

TEST(EditBox, OutlivedWidgetMakesEveryOperationHarmless) {
  auto* line = new QLineEdit;
  EditBox box(line);
  delete line;
  box.SetContent("x");
  box.Append("y");
  box.InsertAtCaret("z");
  EXPECT_EQ(box.Content(), "");
  EXPECT_FALSE(box.IsVisible());
  EXPECT_EQ(box.widget(), nullptr);
}

}  // namespace
}  // namespace torvane
