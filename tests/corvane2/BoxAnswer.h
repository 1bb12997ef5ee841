#pragma once
// Answers the modal boxes a window test provokes, keeping what they said.

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QString>
#include <QTimer>
#include <memory>

// Answers the next modal box with `button`, remembering its text and caption.
struct BoxAnswer {
  QString text;
  QString caption;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  bool seen = false;
};

inline std::shared_ptr<BoxAnswer> answerNextBox(QMessageBox::StandardButton button) {
  auto answer = std::make_shared<BoxAnswer>();
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, [answer, button, timer] {
    // A test that no longer holds the answer expects no box any more: one
    // coming later belongs to another answer.
    if (answer.use_count() == 1) {
      timer->stop();
      timer->deleteLater();
      return;
    }
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    answer->text = box->text();
    answer->caption = box->windowTitle();
    answer->icon = box->icon();
    answer->seen = true;
    box->button(button)->click();
    timer->stop();
    timer->deleteLater();
  });
  timer->start(10);
  // A box that never comes must not leave the answer for a later one.
  QTimer::singleShot(2000, timer, [timer] {
    timer->stop();
    timer->deleteLater();
  });
  return answer;
}

