#include "corvane2/qvPanel.h"

#include <QGridLayout>
#include <QLabel>

namespace qvPanel {

QLabel* valuePanel(QWidget* parent) {
  auto* panel = new QLabel(parent);
  panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  panel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  panel->setMinimumWidth(110);
  panel->setFixedHeight(panel->sizeHint().height() + 6);
  return panel;
}

QLabel* caption(const QString& text, QWidget* buddy, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setBuddy(buddy);
  return label;
}

QLabel* hintImage(QWidget* parent) {
  auto* image = new QLabel(parent);
  image->setFrameStyle(QFrame::Box | QFrame::Plain);
  image->setWordWrap(true);
  image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  image->setMargin(6);
  image->setMinimumSize(150, 120);
  return image;
}

QLabel* addValueRow(QGridLayout* grid, int row, const QString& text, QWidget* parent) {
  QLabel* panel = valuePanel(parent);
  grid->addWidget(new QLabel(text, parent), row, 0);
  grid->addWidget(panel, row, 1);
  return panel;
}

}  // namespace qvPanel
