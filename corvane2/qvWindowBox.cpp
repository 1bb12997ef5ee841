#include "corvane2/qvWindowBox.h"

#include <QMessageBox>
#include <QString>

#include "platform/qvMessageBox.h"

namespace {

struct ButtonAnswer {
  QMessageBox::StandardButton button;
  int answer;
};

constexpr ButtonAnswer kAnswers[] = {
    {QMessageBox::Ok, qvMessageBox::kAnswerOk},       {QMessageBox::Cancel, qvMessageBox::kAnswerCancel},
    {QMessageBox::Abort, qvMessageBox::kAnswerAbort}, {QMessageBox::Retry, qvMessageBox::kAnswerRetry},
    {QMessageBox::Ignore, qvMessageBox::kAnswerIgnore}, {QMessageBox::Yes, qvMessageBox::kAnswerYes},
    {QMessageBox::No, qvMessageBox::kAnswerNo},
};

QMessageBox::StandardButtons buttonsOf(int kind) {
  switch (kind & 0xF) {
    case qvMessageBox::kOkCancel:
      return QMessageBox::Ok | QMessageBox::Cancel;
    case qvMessageBox::kAbortRetryIgnore:
      return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    case qvMessageBox::kYesNoCancel:
      return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case qvMessageBox::kYesNo:
      return QMessageBox::Yes | QMessageBox::No;
    case qvMessageBox::kRetryCancel:
      return QMessageBox::Retry | QMessageBox::Cancel;
    default:
      return QMessageBox::Ok;
  }
}

QMessageBox::Icon iconOf(int kind) {
  switch (kind & 0xF0) {
    case qvMessageBox::kIconStop:
      return QMessageBox::Critical;
    case qvMessageBox::kIconQuestion:
      return QMessageBox::Question;
    case qvMessageBox::kIconWarning:
      return QMessageBox::Warning;
    case qvMessageBox::kIconInformation:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

}  // namespace

int qvShowWindowBox(QWidget* parent, const std::string& text, const std::string& caption, int kind) {
  QMessageBox box(iconOf(kind), QString::fromLocal8Bit(caption.c_str()), QString::fromLocal8Bit(text.c_str()),
                  buttonsOf(kind), parent);
  const auto chosen = static_cast<QMessageBox::StandardButton>(box.exec());
  for (const ButtonAnswer& pair : kAnswers) {
    if (pair.button == chosen) return pair.answer;
  }
  // Closed without a button: the box's most cautious answer.
  return qvMessageBox::safeDefault(kind);
}
