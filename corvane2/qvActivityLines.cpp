#include "corvane2/qvActivityLines.h"

qvActivityLines::qvActivityLines(QWidget* parent)
    : QFrame(parent), vertical_(new QFrame(this)), horizontal_(new QFrame(this)) {
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setFixedSize(60, 20);
  vertical_->setFrameStyle(QFrame::Panel | QFrame::Raised);
  horizontal_->setFrameStyle(QFrame::HLine | QFrame::Sunken);
  hideLines();
}

void qvActivityLines::reset() {
  width_ = 2;
  top_ = 2;
  widthStep_ = 1;
  topStep_ = 1;
  place();
}

void qvActivityLines::step() {
  width_ += widthStep_;
  if (width_ >= width() - 2) widthStep_ = -1;
  if (width_ <= 2) widthStep_ = 1;
  top_ += topStep_;
  if (top_ >= height() - 2) topStep_ = -1;
  if (top_ <= 1) topStep_ = 1;
  place();
  vertical_->show();
  horizontal_->show();
}

void qvActivityLines::hideLines() {
  vertical_->hide();
  horizontal_->hide();
}

bool qvActivityLines::linesVisible() const { return vertical_->isVisibleTo(this); }

void qvActivityLines::place() {
  vertical_->setGeometry(1, 1, width_, height() - 2);
  horizontal_->setGeometry(1, top_, width() - 2, 2);
}
