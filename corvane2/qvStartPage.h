#pragma once
// The "Start" page: what to convert, where to, the run buttons and the
// progress of a run. Layout only; TqvNewStatus gives the controls their
// behaviour.

#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class qvStartPage : public QWidget {
 public:
  explicit qvStartPage(QWidget* parent);

  QComboBox* urlComboBox;
  QPushButton* browseUrl;
  QLineEdit* outputName;
  QPushButton* browseOutputFile;
  QPushButton* startButton;
  QPushButton* tcpSkip;
  QPushButton* exitButton1;
  QPushButton* firstHelpButton;
  QLabel* hintImage1;
  QLabel* urlsFound;
  QLabel* urlsProcessed;
  QLabel* urlsSkipped;
  QLabel* bytesReceived;
  QLabel* timeElapsed;
  QLabel* timeLeft;
  QLabel* timeLeftLabel;
  QLabel* currentUrlLabel;
};
