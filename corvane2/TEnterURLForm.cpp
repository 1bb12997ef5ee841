#include "corvane2/TEnterURLForm.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

TEnterURLForm::TEnterURLForm(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Enter Domain to exclude");
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  AddUrlEdit = new QLineEdit(this);
  AddUrlEdit->setObjectName("AddUrlEdit");
  AddUrlEdit->setFixedWidth(kEditWidth);
  BitBtn1 = new QPushButton("OK", this);
  BitBtn1->setObjectName("BitBtn1");
  BitBtn1->setDefault(true);
  BitBtn2 = new QPushButton("Cancel", this);
  BitBtn2->setObjectName("BitBtn2");
  connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
  connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(BitBtn1);
  buttons->addWidget(BitBtn2);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(AddUrlEdit);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

bool TEnterURLForm::ask(QString& text) {
  if (exec() != QDialog::Accepted) return false;
  text = AddUrlEdit->text();
  return true;
}

void TEnterURLForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (const QScreen* screen = this->screen()) move(screen->availableGeometry().center() - rect().center());
  AddUrlEdit->setFocus();
  AddUrlEdit->selectAll();
}
