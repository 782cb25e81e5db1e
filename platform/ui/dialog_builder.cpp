#include "platform/ui/dialog_builder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tidora::ui {

void SetControlId(QObject* object, int id) {
  object->setProperty(kCtrlIdProperty, id);
}

int ControlId(const QObject* object) {
  QVariant v = object ? object->property(kCtrlIdProperty) : QVariant();
  bool ok = false;
  int id = v.toInt(&ok);
  return ok ? id : -1;
}

QAction* findCommand(const QObject* parent, int command) {
  return findControl<QAction>(parent, command);
}

int DialogUnitsX(const QWidget* w, int units) {
  return units * QFontMetrics(w->font()).averageCharWidth() / 4;
}

int DialogUnitsY(const QWidget* w, int units) {
  return units * QFontMetrics(w->font()).height() / 8;
}

DialogBuilder::DialogBuilder(QWidget* dialog, int marginX, int marginY)
    : dialog_(dialog), grid_(new QGridLayout(dialog)) {
  int mx = DialogUnitsX(dialog, marginX), my = DialogUnitsY(dialog, marginY);
  grid_->setContentsMargins(mx, my, mx, my);
  grid_->setVerticalSpacing(DialogUnitsY(dialog, 3));
}

QLabel* DialogBuilder::Label(int id, const QString& text) {
  auto* w = new QLabel(text, dialog_);
  SetControlId(w, id);
  return w;
}

QLineEdit* DialogBuilder::Edit(int id, const QString& text, int widthUnits) {
  auto* w = new QLineEdit(text, dialog_);
  SetControlId(w, id);
  w->setMinimumWidth(DialogUnitsX(dialog_, widthUnits));
  return w;
}

QComboBox* DialogBuilder::Combo(int id, int widthUnits) {
  auto* w = new QComboBox(dialog_);
  SetControlId(w, id);
  w->setMinimumWidth(DialogUnitsX(dialog_, widthUnits));
  return w;
}

QCheckBox* DialogBuilder::Check(int id, const QString& text) {
  auto* w = new QCheckBox(text, dialog_);
  SetControlId(w, id);
  return w;
}

QPushButton* DialogBuilder::Button(int id, const QString& text) {
  auto* w = new QPushButton(text, dialog_);
  SetControlId(w, id);
  w->setAutoDefault(false);  // Enter goes to the dialog's chosen default button only
  return w;
}

QGroupBox* DialogBuilder::Group(int id, const QString& title) {
  auto* w = new QGroupBox(title, dialog_);
  SetControlId(w, id);
  return w;
}

void DialogBuilder::AddRow(QLabel* label, QWidget* field) {
  grid_->addWidget(label, row_, 0);
  grid_->addWidget(field, row_, 1);
  ++row_;
}

void DialogBuilder::AddWide(QWidget* w) {
  grid_->addWidget(w, row_, 0, 1, 2);
  ++row_;
}

void DialogBuilder::AddButtonRow(const std::vector<QWidget*>& widgets) {
  auto* box = new QHBoxLayout;
  for (QWidget* w : widgets) box->addWidget(w);
  grid_->addLayout(box, row_, 0, 1, 2);
  ++row_;
}

}  // namespace tidora::ui
