#include "corvane2/qvStartPage.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "corvane2/qvPanel.h"

qvStartPage::qvStartPage(QWidget* parent) : QWidget(parent) {
  urlComboBox = new QComboBox(this);
  urlComboBox->setEditable(true);
  urlComboBox->setMaxVisibleItems(18);
  urlComboBox->setInsertPolicy(QComboBox::NoInsert);
  urlComboBox->setObjectName("UrlComboBox");
  browseUrl = new QPushButton("&Browse", this);
  outputName = new QLineEdit(this);
  outputName->setObjectName("OutputName");
  browseOutputFile = new QPushButton("Br&owse", this);
  startButton = new QPushButton("&Start", this);
  startButton->setObjectName("StartButton");
  tcpSkip = new QPushButton("S&kip", this);
  tcpSkip->setEnabled(false);
  exitButton1 = new QPushButton("E&xit", this);
  firstHelpButton = new QPushButton("&Help", this);
  hintImage1 = qvPanel::hintImage(this);

  auto* input = new QGridLayout;
  input->addWidget(qvPanel::caption("&URL to process:", urlComboBox, this), 0, 0, 1, 2);
  input->addWidget(urlComboBox, 1, 0);
  input->addWidget(browseUrl, 1, 1);
  input->addWidget(qvPanel::caption("&Help File Name:", outputName, this), 2, 0, 1, 2);
  input->addWidget(outputName, 3, 0);
  input->addWidget(browseOutputFile, 3, 1);
  input->setColumnStretch(0, 1);

  auto* progress = new QGroupBox(this);
  auto* grid = new QGridLayout(progress);
  urlsFound = qvPanel::addValueRow(grid, 0, "URLs Found", progress);
  urlsProcessed = qvPanel::addValueRow(grid, 1, "URLs Processed", progress);
  urlsSkipped = qvPanel::addValueRow(grid, 2, "URLs Skipped", progress);
  bytesReceived = qvPanel::addValueRow(grid, 3, "Bytes Received", progress);
  timeElapsed = qvPanel::addValueRow(grid, 4, "Time Elapsed", progress);
  timeLeft = qvPanel::valuePanel(progress);
  timeLeftLabel = new QLabel("Time Left", progress);
  grid->addWidget(timeLeftLabel, 5, 0);
  grid->addWidget(timeLeft, 5, 1);
  currentUrlLabel = new QLabel(this);
  currentUrlLabel->setObjectName("CurrentUrlLabel");
  currentUrlLabel->setMaximumWidth(560);

  auto* buttons = new QVBoxLayout;
  for (QPushButton* button : {startButton, tcpSkip, exitButton1, firstHelpButton}) buttons->addWidget(button);
  buttons->addStretch();
  auto* middle = new QHBoxLayout;
  middle->addWidget(progress);
  middle->addWidget(hintImage1, 1);
  middle->addLayout(buttons);

  auto* page = new QVBoxLayout(this);
  page->addLayout(input);
  page->addLayout(middle);
  page->addWidget(currentUrlLabel);
}
