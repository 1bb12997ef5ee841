#pragma once
// The "Options" page: the upper part may change during a run, the lower part
// only while idle. Layout only.

#include <QWidget>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class qvStepSpinBox;

class qvOptionsPage : public QWidget {
 public:
  explicit qvOptionsPage(QWidget* parent);

  QGroupBox* upperPanel;
  QCheckBox* siteWide;
  QCheckBox* noImages;
  QCheckBox* hangUp;
  QCheckBox* retrieveCgi;
  QCheckBox* useBrowseButtons;
  QCheckBox* offlineMode;
  qvStepSpinBox* maxDepth;
  qvStepSpinBox* maxUrls;
  QLineEdit* maxTime;
  QToolButton* timeUp;
  QToolButton* timeDown;
  QToolButton* timeLeft;
  QToolButton* timeRight;
  QLabel* hintImage2;

  QGroupBox* lowerPanel;
  QComboBox* backgroundColour;
  QLineEdit* defaultOutputLocation;
  QPushButton* defaultLocationBrowse;
  QPushButton* saveToDefault;
  QPushButton* loadFromDefault;
  QLabel* hintImage3;

 private:
  QWidget* timeSpinner();
  void buildUpper();
  void buildLower();
};
