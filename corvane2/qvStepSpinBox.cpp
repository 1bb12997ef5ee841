#include "corvane2/qvStepSpinBox.h"

#include <climits>

namespace {

int largestWithDigits(int digits) {
  long long largest = 1;
  for (int i = 0; i < digits; ++i) largest *= 10;
  return largest - 1 > INT_MAX ? INT_MAX : static_cast<int>(largest - 1);
}

}  // namespace

qvStepSpinBox::qvStepSpinBox(int digits, QWidget* parent) : QSpinBox(parent) {
  setRange(0, largestWithDigits(digits));
  setAccelerated(true);
}

void qvStepSpinBox::stepBy(int steps) {
  const int before = value();
  QSpinBox::stepBy(steps);
  if (value() != before) emit stepped();
}

void qvStepSpinBox::focusInEvent(QFocusEvent* event) {
  valueOnEntry_ = value();
  QSpinBox::focusInEvent(event);
}

void qvStepSpinBox::focusOutEvent(QFocusEvent* event) {
  QSpinBox::focusOutEvent(event);  // interprets what was typed
  if (value() != valueOnEntry_) emit changedOnLeave();
  valueOnEntry_ = value();
}
