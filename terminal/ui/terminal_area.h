#pragma once

#include <QPlainTextEdit>
#include <functional>

namespace tidora::ui {

// The terminal area: shows what the recorder sends and hands typed keys to the session without
// showing them (the recorder's echo shows them). Keeps at most a threshold of characters by
// dropping the older half, so a long upload never fills the control.
class TerminalArea : public QPlainTextEdit {
  Q_OBJECT
 public:
  // `limit` is the control's text limit; the threshold is limit - limit / 8.
  explicit TerminalArea(QWidget* parent = nullptr, int limit = 30000);

  void SetKeyHandler(std::function<void(char)> handler) { onKey_ = std::move(handler); }
  // A received character (carriage returns never arrive here).
  void ShowChar(char c);
  int threshold() const { return threshold_; }
  int count() const { return count_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  void insertFromMimeData(const QMimeData* source) override;

 private:
  std::function<void(char)> onKey_;
  int threshold_;
  int count_ = 0;
  bool clicked_ = false;
};

}  // namespace tidora::ui
