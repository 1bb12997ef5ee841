#include "corvane2/TAboutBox.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

TAboutBox::TAboutBox(QWidget* mainWindow) : QDialog(mainWindow), mainWindow_(mainWindow) {
  setWindowTitle("About Corvane(tm)");
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  ProgramIcon = new QLabel(this);
  ProgramIcon->setObjectName("ProgramIcon");
  const QIcon icon = QApplication::windowIcon().isNull() ? style()->standardIcon(QStyle::SP_ComputerIcon)
                                                          : QApplication::windowIcon();
  ProgramIcon->setPixmap(icon.pixmap(32, 32));
  auto* text = new QVBoxLayout;
  const char* lines[] = {"Corvane v1.1",
                         "Turns web sites and trees of HTML files into Windows Help files.",
                         "Pages, links, pictures and tables are kept; the help compiler is built in.",
                         "Your settings and URL profiles are kept between runs.",
                         "This program comes with no warranty of any kind."};
  for (const char* line : lines) {
    auto* label = new QLabel(line, this);
    text->addWidget(label);
  }
  OKButton = new QPushButton("&OK", this);
  OKButton->setObjectName("OKButton");
  OKButton->setDefault(true);
  OKButton->setAutoDefault(true);
  auto* top = new QHBoxLayout;
  top->addWidget(ProgramIcon, 0, Qt::AlignTop);
  top->addLayout(text, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(OKButton);
  buttons->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  startUpTimer_ = new QTimer(this);
  startUpTimer_->setSingleShot(true);
  startUpTimer_->setInterval(kStartUpDelayMs);
  connect(startUpTimer_, &QTimer::timeout, this, &TAboutBox::startUpDelayOver);
  OKButton->installEventFilter(this);
  connect(OKButton, &QPushButton::clicked, this, [this] {
    emit okPressed();
    accept();
  });
}

void TAboutBox::prepare() {
  const bool mainDisabled = mainWindow_ != nullptr && !mainWindow_->isEnabled();
  OKButton->setEnabled(!mainDisabled);
  // The start-up timer survives the box being closed early: the main window
  // waits for it either way.
  if (mainDisabled && !startUpTimer_->isActive()) startUpTimer_->start();
}

void TAboutBox::startUpDelayOver() {
  OKButton->setEnabled(true);
  if (mainWindow_ != nullptr) mainWindow_->setEnabled(true);
}

void TAboutBox::showUnwaited() {
  prepare();
  setModal(false);
  show();
}

int TAboutBox::showModal() {
  prepare();
  return exec();
}

void TAboutBox::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (const QScreen* screen = this->screen()) move(screen->availableGeometry().center() - rect().center());
  raise();
  activateWindow();
}

bool TAboutBox::handleKey(QKeyEvent* event) {
  emit keyReceived();
  switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Space:
      reject();
      return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (OKButton->isEnabled()) accept();
      return true;
    default:
      return false;
  }
}

void TAboutBox::keyPressEvent(QKeyEvent* event) {
  if (handleKey(event)) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

// The box sees every key before its button does: Space must close it rather
// than press "&OK".
bool TAboutBox::eventFilter(QObject* watched, QEvent* event) {
  if (watched == OKButton && event->type() == QEvent::KeyPress) return handleKey(static_cast<QKeyEvent*>(event));
  return QDialog::eventFilter(watched, event);
}
