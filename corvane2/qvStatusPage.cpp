#include "corvane2/qvStatusPage.h"

#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

qvStatusPage::qvStatusPage(QWidget* parent) : QWidget(parent) {
  warnings = new QPlainTextEdit(this);
  warnings->setObjectName("Warnings");
  warnings->setReadOnly(true);
  warnings->setLineWrapMode(QPlainTextEdit::NoWrap);
  warnings->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  warnings->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

  auto* info = new QGridLayout;
  QLabel** fields[] = {&primaryBaseUrl, &currentBaseUrl, &currentUrl, &currentFile};
  const char* captions[] = {"Primary base URL", "Current base URL", "Current URL", "Current file"};
  for (int i = 0; i < 4; ++i) {
    *fields[i] = new QLabel(this);
    (*fields[i])->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    (*fields[i])->setMinimumWidth(420);
    (*fields[i])->setMaximumWidth(480);
    info->addWidget(new QLabel(captions[i], this), i, 0);
    info->addWidget(*fields[i], i, 1);
  }
  auto* page = new QVBoxLayout(this);
  page->addWidget(new QLabel("Warnings", this));
  page->addWidget(warnings, 1);
  page->addLayout(info);
}
