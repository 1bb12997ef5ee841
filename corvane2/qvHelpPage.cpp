#include "corvane2/qvHelpPage.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

qvHelpPage::qvHelpPage(QWidget* parent) : QWidget(parent) {
  secondHelpButton = new QPushButton("&Help", this);
  howToGetLatestVersion = new QPushButton("How to get the latest &Version", this);
  frequentlyAskedQuestions = new QPushButton("&Frequently Asked Questions", this);
  aboutCorvane = new QPushButton("A&bout Corvane", this);
  httpLabel = new QLabel(QString::fromLatin1(kWebAddress), this);
  httpLabel->setCursor(Qt::PointingHandCursor);
  QFont underlined = httpLabel->font();
  underlined.setUnderline(true);
  httpLabel->setFont(underlined);
  auto* page = new QVBoxLayout(this);
  page->addStretch();
  for (QPushButton* button : {secondHelpButton, howToGetLatestVersion, frequentlyAskedQuestions, aboutCorvane}) {
    button->setMinimumWidth(260);
    page->addWidget(button, 0, Qt::AlignHCenter);
  }
  page->addSpacing(20);
  page->addWidget(httpLabel, 0, Qt::AlignHCenter);
  page->addStretch();
}
