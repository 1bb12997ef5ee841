#include "corvane2/qvOptionsPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "corvane2/qvPanel.h"
#include "corvane2/qvStepSpinBox.h"

namespace {

QToolButton* arrow(Qt::ArrowType type, QWidget* parent) {
  auto* button = new QToolButton(parent);
  button->setArrowType(type);
  button->setAutoRepeat(true);
  button->setFixedSize(16, 12);
  return button;
}

}  // namespace

qvOptionsPage::qvOptionsPage(QWidget* parent) : QWidget(parent) {
  buildUpper();
  buildLower();
  auto* page = new QVBoxLayout(this);
  page->addWidget(upperPanel);
  page->addWidget(lowerPanel);
}

QWidget* qvOptionsPage::timeSpinner() {
  auto* spinner = new QWidget(upperPanel);
  auto* grid = new QGridLayout(spinner);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setSpacing(0);
  timeUp = arrow(Qt::UpArrow, spinner);
  timeDown = arrow(Qt::DownArrow, spinner);
  timeLeft = arrow(Qt::LeftArrow, spinner);
  timeRight = arrow(Qt::RightArrow, spinner);
  grid->addWidget(timeUp, 0, 1);
  grid->addWidget(timeLeft, 1, 0);
  grid->addWidget(timeRight, 1, 2);
  grid->addWidget(timeDown, 2, 1);
  spinner->setFixedSize(spinner->sizeHint());
  return spinner;
}

void qvOptionsPage::buildUpper() {
  upperPanel = new QGroupBox(this);
  siteWide = new QCheckBox("Site &Wide", upperPanel);
  noImages = new QCheckBox("No &Images", upperPanel);
  hangUp = new QCheckBox("Attempt to &Hang Up", upperPanel);
  hangUp->setEnabled(false);  // no dial-up connections here
  retrieveCgi = new QCheckBox("Retrieve &CGI", upperPanel);
  useBrowseButtons = new QCheckBox("Include &browse buttons", upperPanel);
  offlineMode = new QCheckBox("&Offline mode", upperPanel);
  maxDepth = new qvStepSpinBox(6, upperPanel);
  maxUrls = new qvStepSpinBox(10, upperPanel);
  maxTime = new QLineEdit(upperPanel);
  maxTime->setReadOnly(true);
  maxTime->setMaxLength(7);
  maxTime->setFixedWidth(80);
  hintImage2 = qvPanel::hintImage(upperPanel);

  auto* boxes = new QVBoxLayout;
  for (QCheckBox* box : {siteWide, noImages, hangUp, retrieveCgi, useBrowseButtons, offlineMode}) {
    boxes->addWidget(box);
  }
  auto* fields = new QGridLayout;
  fields->addWidget(qvPanel::caption("Max &Depth:", maxDepth, upperPanel), 0, 0);
  fields->addWidget(maxDepth, 0, 1);
  fields->addWidget(qvPanel::caption("&Max URL's", maxUrls, upperPanel), 1, 0);
  fields->addWidget(maxUrls, 1, 1);
  fields->addWidget(qvPanel::caption("&Stop In ...", maxTime, upperPanel), 2, 0);
  auto* time = new QHBoxLayout;
  time->addWidget(maxTime);
  time->addWidget(timeSpinner());
  fields->addLayout(time, 2, 1);
  fields->setRowStretch(3, 1);
  auto* row = new QHBoxLayout(upperPanel);
  row->addLayout(boxes);
  row->addLayout(fields);
  row->addWidget(hintImage2, 1);
}

void qvOptionsPage::buildLower() {
  lowerPanel = new QGroupBox(this);
  backgroundColour = new QComboBox(lowerPanel);
  backgroundColour->addItems({"Auto", "Tan", "White", "Grey"});
  defaultOutputLocation = new QLineEdit(lowerPanel);
  defaultLocationBrowse = new QPushButton("...", lowerPanel);
  defaultLocationBrowse->setFixedWidth(30);
  saveToDefault = new QPushButton("Make this the Defaul&t ", lowerPanel);
  loadFromDefault = new QPushButton("Load from Defa&ult ", lowerPanel);
  hintImage3 = qvPanel::hintImage(lowerPanel);

  auto* grid = new QGridLayout;
  grid->addWidget(qvPanel::caption("Color:", backgroundColour, lowerPanel), 0, 0);
  grid->addWidget(backgroundColour, 0, 1);
  grid->addWidget(qvPanel::caption("Output &Location:", defaultOutputLocation, lowerPanel), 1, 0);
  grid->addWidget(defaultOutputLocation, 1, 1);
  grid->addWidget(defaultLocationBrowse, 1, 2);
  grid->addWidget(saveToDefault, 2, 1);
  grid->addWidget(loadFromDefault, 3, 1);
  auto* row = new QHBoxLayout(lowerPanel);
  row->addLayout(grid, 2);
  row->addWidget(hintImage3, 1);
}
