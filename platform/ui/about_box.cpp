#include "platform/ui/about_box.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/ui/dialog_builder.h"

namespace tidora::ui {

QPixmap AppIconPixmap(int size) {
  QPixmap pm(size, size);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  double s = size;
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(20, 70, 140));
  p.drawEllipse(QRectF(0, 0, s, s));
  QPainterPath wave;
  wave.moveTo(0.08 * s, 0.5 * s);
  wave.cubicTo(0.3 * s, 0.25 * s, 0.45 * s, 0.75 * s, 0.7 * s, 0.45 * s);
  wave.cubicTo(0.8 * s, 0.35 * s, 0.88 * s, 0.4 * s, 0.92 * s, 0.5 * s);
  wave.lineTo(0.92 * s, 0.9 * s);
  wave.lineTo(0.08 * s, 0.9 * s);
  wave.closeSubpath();
  p.setClipPath([&] {
    QPainterPath c;
    c.addEllipse(QRectF(0, 0, s, s));
    return c;
  }());
  p.setBrush(QColor(90, 180, 230));
  p.drawPath(wave);
  p.setBrush(QColor(250, 200, 60));
  p.drawRoundedRect(QRectF(0.44 * s, 0.66 * s, 0.12 * s, 0.22 * s), 0.03 * s, 0.03 * s);
  return pm;
}

QIcon AppIcon() {
  QIcon icon;
  for (int size : {16, 32, 48, 64}) icon.addPixmap(AppIconPixmap(size));
  return icon;
}

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QString("About ") + kSuiteName);
  auto* icon = new QLabel(this);
  icon->setPixmap(AppIconPixmap(48));
  SetControlId(icon, kIdAboutIcon);
  auto* title = new QLabel(QString(kSuiteName) + ", " + kSuiteVersion, this);
  SetControlId(title, kIdAboutTitle);
  auto* maker = new QLabel("Copyright (C) 2007 Brennic", this);
  SetControlId(maker, kIdAboutMaker);
  auto* contact = new QLabel(
      "For help with the recorder or this software, contact Brennic.\n"
      "The Help menu opens the user guide.",
      this);
  SetControlId(contact, kIdAboutContact);
  auto* ok = new QPushButton("OK", this);
  SetControlId(ok, kIdAboutOk);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  auto* text = new QVBoxLayout;
  text->addWidget(title);
  text->addWidget(maker);
  text->addWidget(contact);
  auto* top = new QHBoxLayout;
  top->addWidget(icon, 0, Qt::AlignTop);
  top->addLayout(text);
  top->addWidget(ok, 0, Qt::AlignTop);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  setWindowIcon(AppIcon());
}

}  // namespace tidora::ui
