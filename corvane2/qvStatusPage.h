#pragma once
// The "Status" page: the warnings of the run and what is being worked on.

#include <QWidget>

class QLabel;
class QPlainTextEdit;

class qvStatusPage : public QWidget {
 public:
  explicit qvStatusPage(QWidget* parent);

  QPlainTextEdit* warnings;
  QLabel* primaryBaseUrl;
  QLabel* currentBaseUrl;
  QLabel* currentUrl;
  QLabel* currentFile;
};
