#include "terminal/ui/terminal_area.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

namespace tidora::ui {

TerminalArea::TerminalArea(QWidget* parent, int limit)
    : QPlainTextEdit(parent), threshold_(limit - limit / 8) {
  QFont font("Courier New");
  font.setStyleHint(QFont::Monospace);
  font.setFixedPitch(true);
  font.setWeight(QFont::Normal);
  if (!QFontInfo(font).fixedPitch()) {
    int size = font.pointSize();
    font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (size > 0) font.setPointSize(size);
  }
  setFont(font);
  setLineWrapMode(QPlainTextEdit::WidgetWidth);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setUndoRedoEnabled(false);
}

void TerminalArea::ShowChar(char c) {
  QTextCursor cursor = textCursor();
  if (clicked_) {
    // After a click the caret goes back to where the text grows, not where the user clicked.
    cursor.setPosition(std::min(threshold_, document()->characterCount() - 1));
    clicked_ = false;
  }
  if (++count_ > threshold_) {
    QTextCursor head(document());
    head.setPosition(0);
    head.setPosition(std::min(threshold_ / 2, document()->characterCount() - 1),
                     QTextCursor::KeepAnchor);
    head.removeSelectedText();
    // What stays and this character (the count holds the closing paragraph mark's place): the
    // count keeps to the text, which would otherwise outgrow the threshold trim by trim.
    count_ = document()->characterCount();
    cursor.setPosition(std::min(threshold_, document()->characterCount() - 1));
  }
  switch (c) {
    case '\b':
      cursor.deletePreviousChar();
      break;
    case '\n':
      cursor.insertText("\n");
      break;
    case '\t':
      cursor.insertText("\t");
      break;
    default:
      // Other control characters (control-Y among them, which arrives followed by "^Y") leave
      // no mark, as in the edit control.
      if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) {
        cursor.insertText(QString(QChar(static_cast<unsigned char>(c))));
      }
      break;
  }
  setTextCursor(cursor);
  ensureCursorVisible();
}

void TerminalArea::keyPressEvent(QKeyEvent* event) {
  QByteArray text = event->text().toLatin1();
  // Control with a letter is the control character, whatever text the platform made of it.
  if ((event->modifiers() & Qt::ControlModifier) && event->key() >= Qt::Key_A &&
      event->key() <= Qt::Key_Z) {
    text = QByteArray(1, static_cast<char>(event->key() - Qt::Key_A + 1));
  }
  if (text.isEmpty() && event->key() == Qt::Key_Return) text = "\r";
  if (!text.isEmpty()) {
    // Typed characters go to the recorder only; its echo is what appears.
    for (char c : text)
      if (onKey_) onKey_(c);
    event->accept();
    return;
  }
  // Moving around and scrolling stay with the control; nothing typed reaches the text.
  switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
      QPlainTextEdit::keyPressEvent(event);
      break;
    default:
      event->accept();
  }
}

void TerminalArea::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) clicked_ = true;
  QPlainTextEdit::mouseReleaseEvent(event);
}

void TerminalArea::inputMethodEvent(QInputMethodEvent* event) {
  // Composed text goes to the recorder like typed keys.
  for (char c : event->commitString().toLatin1())
    if (onKey_) onKey_(c);
  event->accept();
}

void TerminalArea::insertFromMimeData(const QMimeData*) {
  // Pasting would show text the recorder never sent.
}

}  // namespace tidora::ui
