#pragma once
// The "Help" page: the program's own help and where it comes from.

#include <QWidget>

class QLabel;
class QPushButton;

class qvHelpPage : public QWidget {
 public:
  // The web address the label on this page opens.
  static constexpr const char* kWebAddress = "https://corvane.example.org/";

  explicit qvHelpPage(QWidget* parent);

  QPushButton* secondHelpButton;
  QPushButton* howToGetLatestVersion;
  QPushButton* frequentlyAskedQuestions;
  QPushButton* aboutCorvane;
  QLabel* httpLabel;
};
