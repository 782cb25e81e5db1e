#pragma once

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <QWidget>
#include <vector>

namespace tidora::ui {

// Dialogs are laid out in code. Every control carries its control identifier in the dynamic
// property "ctrlId" (menu commands carry their command number the same way on their action),
// so tests and the dialogs themselves find controls by identifier.
inline constexpr const char* kCtrlIdProperty = "ctrlId";

void SetControlId(QObject* object, int id);
// The identifier of a control; -1 when it has none.
int ControlId(const QObject* object);

// The control with an identifier among the children of parent (at any depth); nullptr when
// there is none or it is not a T.
template <class T = QWidget>
T* findControl(const QObject* parent, int id) {
  if (!parent) return nullptr;
  for (T* w : parent->findChildren<T*>()) {
    if (ControlId(w) == id) return w;
  }
  return nullptr;
}

// The action of a menu command by its command number.
QAction* findCommand(const QObject* parent, int command);

// Dialog units: the width of an average character / 4 and the height of a line / 8, so the
// sizes the layouts name in dialog units come out in proportion to the font.
int DialogUnitsX(const QWidget* w, int units);
int DialogUnitsY(const QWidget* w, int units);

// Builds the rows of a dialog on a grid: a label column and a field column, with controls
// that span both, margins in dialog units.
class DialogBuilder {
 public:
  explicit DialogBuilder(QWidget* dialog, int marginX = 8, int marginY = 6);

  QGridLayout* grid() const { return grid_; }
  int row() const { return row_; }

  QLabel* Label(int id, const QString& text);
  QLineEdit* Edit(int id, const QString& text = QString(), int widthUnits = 76);
  QComboBox* Combo(int id, int widthUnits = 76);
  QCheckBox* Check(int id, const QString& text);
  QPushButton* Button(int id, const QString& text);
  QGroupBox* Group(int id, const QString& title);

  // A label and a field on one row.
  void AddRow(QLabel* label, QWidget* field);
  // One control across both columns.
  void AddWide(QWidget* w);
  // A row of buttons (or other controls) at the bottom, left to right.
  void AddButtonRow(const std::vector<QWidget*>& widgets);

 private:
  QWidget* dialog_;
  QGridLayout* grid_;
  int row_ = 0;
};

}  // namespace tidora::ui
