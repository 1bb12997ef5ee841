#pragma once
// An integer field with a spinner that tells a click on its arrows apart from
// typing, and reports a value changed by typing only when the user leaves the
// field; a value set by the program signals nothing.

#include <QSpinBox>

class qvStepSpinBox : public QSpinBox {
  Q_OBJECT

 public:
  // `digits` bounds the value to that many decimal digits.
  qvStepSpinBox(int digits, QWidget* parent);

  void stepBy(int steps) override;

 signals:
  void stepped();
  void changedOnLeave();

 protected:
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  int valueOnEntry_ = 0;
};
