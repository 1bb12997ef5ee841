#include "corvane2/TqvNewStatus.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QShortcut>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <filesystem>
#include <iterator>

#include "base/qvHelpFileName.h"
#include "corvane2/TAboutBox.h"
#include "corvane2/TBrowseFolder.h"
#include "corvane2/TEnterURLForm.h"
#include "corvane2/qvActivityLines.h"
#include "corvane2/qvHelpPage.h"
#include "corvane2/qvHelpViewer.h"
#include "corvane2/qvHintPictures.h"
#include "corvane2/qvHostList.h"
#include "corvane2/qvNumberFormat.h"
#include "corvane2/qvOptionsPage.h"
#include "corvane2/qvProxyCachePage.h"
#include "corvane2/qvSettingsKeeper.h"
#include "corvane2/qvSharedBlock.h"
#include "corvane2/qvStartPage.h"
#include "corvane2/qvStatusPage.h"
#include "corvane2/qvStepSpinBox.h"
#include "corvane2/qvUrlText.h"
#include "corvane2/qvWindowBox.h"
#include "platform/qvMessageBox.h"
#include "platform/qvRegistry.h"
#include "ui/qvUserInterfaceCodes.h"

namespace {

constexpr int kNetworkSkip = 0x1;
constexpr int kNetworkClosing = 0x8;
constexpr int kCacheFlush = 0x2;
constexpr int kLongestDroppedName = 512;

std::string text(const QString& value) { return value.toLocal8Bit().toStdString(); }

}  // namespace

TqvNewStatus::TqvNewStatus(qvSharedBlock& block, QWidget* parent) : QWidget(parent), block_(block) {
  buildWindow();
  connectStartPage();
  connectOptionsPage();
  connectProxyCachePage();
  connectHelpPage();
  attachHints();
  aboutBox_ = new TAboutBox(this);
  enterUrl_ = new TEnterURLForm(this);
  keeper_ = new qvSettingsKeeper(*this, block_, qvRegistry::defaultPath());
  keeper_->load();
  applyState(0);
  publishSettings();
  block_.setToggles(block_.toggles() | qvToggleBit::kSettingsLoaded);
  if (trace_.enabled()) {
    trace_.line("settings shown maxUrls '" + std::to_string(options_->maxUrls->value()) + "' proxyHost '" +
                text(proxyCache_->httpProxyName->text()) + "' url '" + text(start_->urlComboBox->currentText()) + "'");
  }
  setEnabled(false);
  hide();
  displayTimer_->start(kTickMs);
}

TqvNewStatus::~TqvNewStatus() {
  // Fields losing focus while the children go would call back into a window
  // that is no longer whole.
  for (QWidget* child : findChildren<QWidget*>()) child->blockSignals(true);
}

void TqvNewStatus::buildWindow() {
  setWindowTitle("Corvane v1.1");
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  setAcceptDrops(true);
  pages_ = new QTabWidget(this);
  start_ = new qvStartPage(pages_);
  options_ = new qvOptionsPage(pages_);
  status_ = new qvStatusPage(pages_);
  proxyCache_ = new qvProxyCachePage(pages_);
  help_ = new qvHelpPage(pages_);
  pages_->addTab(start_, "   Start   ");
  pages_->addTab(options_, "Options");
  pages_->addTab(status_, "Status");
  pages_->addTab(proxyCache_, "Proxy and Cache");
  pages_->addTab(help_, "        Help        ");

  taskBarButton_ = new QToolButton(this);
  taskBarButton_->setAutoRaise(true);
  taskBarButton_->setArrowType(Qt::DownArrow);
  taskBarButton_->setToolTip("Place Corvane into the System Tray");
  taskBarButton_->setEnabled(QSystemTrayIcon::isSystemTrayAvailable());
  statusPanel_ = new QLabel(this);
  statusPanel_->setObjectName("StatusPanel");
  statusPanel_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  activity_ = new qvActivityLines(this);
  auto* strip = new QHBoxLayout;
  strip->addWidget(taskBarButton_);
  strip->addWidget(statusPanel_, 1);
  strip->addWidget(activity_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pages_);
  layout->addLayout(strip);

  hints_ = new qvHintPictures(this);
  displayTimer_ = new QTimer(this);
  secondTimer_ = new QTimer(this);
  secondTimer_->setInterval(1000);
  activityTimer_ = new QTimer(this);
  activityTimer_->setInterval(kActivityMs);
  connect(displayTimer_, &QTimer::timeout, this, &TqvNewStatus::displayTick);
  connect(secondTimer_, &QTimer::timeout, this, &TqvNewStatus::secondTick);
  connect(activityTimer_, &QTimer::timeout, activity_, &qvActivityLines::step);
  connect(taskBarButton_, &QToolButton::clicked, this, &TqvNewStatus::placeInTray);
  connect(pages_, &QTabWidget::currentChanged, this,
          [this](int page) { traceShown("page", std::to_string(page), pages_->tabText(page)); });
  auto* next = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Right), this);
  auto* previous = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Left), this);
  connect(next, &QShortcut::activated, this, [this] { showPage(1); });
  connect(previous, &QShortcut::activated, this, [this] { showPage(-1); });
  auto* pageHelp = new QShortcut(QKeySequence(Qt::Key_F1), this);
  connect(pageHelp, &QShortcut::activated, this, [this] {
    const int page = pages_->currentIndex();
    if (page >= 0 && page < static_cast<int>(std::size(qvHelpViewer::kPageTopics))) {
      openHelp(qvHelpViewer::kPageTopics[page]);
    }
  });

  proxyCache_->maxCacheSize->setValue(20);
  proxyCache_->cacheExpiresIn->setValue(30);
  proxyCache_->enableCache->setChecked(true);
  options_->maxTime->setText(QString::fromStdString(timeLimit_.limitText()));
  options_->defaultOutputLocation->setText(QDir::currentPath() + "/HelpFiles");
  adjustSize();
  setFixedSize(sizeHint());
}

void TqvNewStatus::connectStartPage() {
  QLineEdit* urlEdit = start_->urlComboBox->lineEdit();
  connect(start_->urlComboBox, &QComboBox::editTextChanged, this, &TqvNewStatus::urlChanged);
  connect(urlEdit, &QLineEdit::editingFinished, this, &TqvNewStatus::urlLeft);
  connect(start_->outputName, &QLineEdit::textChanged, this,
          [this](const QString& name) { block_.setText(qvStringIndex::kHelpFileName, text(name)); });
  connect(start_->outputName, &QLineEdit::textEdited, this, [this] { outputNameTyped_ = true; });
  connect(start_->outputName, &QLineEdit::editingFinished, this, &TqvNewStatus::outputNameLeft);
  connect(start_->browseUrl, &QPushButton::clicked, this, &TqvNewStatus::browseUrl);
  connect(start_->browseOutputFile, &QPushButton::clicked, this, &TqvNewStatus::browseOutputFile);
  connect(start_->startButton, &QPushButton::clicked, this, &TqvNewStatus::startPressed);
  connect(start_->tcpSkip, &QPushButton::clicked, this, [this] { block_.raiseNetwork(kNetworkSkip); });
  connect(start_->exitButton1, &QPushButton::clicked, this, &TqvNewStatus::exitPressed);
  connect(start_->firstHelpButton, &QPushButton::clicked, this, [this] { openHelp(qvHelpViewer::kContents); });
}

void TqvNewStatus::connectOptionsPage() {
  for (QCheckBox* box : {options_->siteWide, options_->noImages, options_->hangUp, options_->retrieveCgi}) {
    connect(box, &QCheckBox::clicked, this, [this] {
      publishToggles();
      block_.raiseStatus(qvStatusBit::kTogglesChanged);
    });
  }
  connect(options_->useBrowseButtons, &QCheckBox::toggled, this,
          [this](bool on) { block_.setValue(qvValueIndex::kBrowseButtons, on ? 1 : 0); });
  connect(options_->offlineMode, &QCheckBox::toggled, this,
          [this](bool on) { block_.setValue(qvValueIndex::kOffline, on ? 1 : 0); });
  for (qvStepSpinBox* field : {options_->maxDepth, options_->maxUrls}) {
    auto changed = [this] {
      publishLimits();
      block_.raiseStatus(qvStatusBit::kLimitsChanged);
    };
    connect(field, &qvStepSpinBox::stepped, this, changed);
    connect(field, &qvStepSpinBox::changedOnLeave, this, changed);
  }
  connect(options_->timeUp, &QToolButton::clicked, this, [this] { adjustTimeLimit(qvTimeLimit::kHourStep); });
  connect(options_->timeDown, &QToolButton::clicked, this, [this] { adjustTimeLimit(-qvTimeLimit::kHourStep); });
  connect(options_->timeLeft, &QToolButton::clicked, this, [this] { adjustTimeLimit(-qvTimeLimit::kMinuteStep); });
  connect(options_->timeRight, &QToolButton::clicked, this, [this] { adjustTimeLimit(qvTimeLimit::kMinuteStep); });
  connect(options_->backgroundColour, &QComboBox::currentIndexChanged, this,
          [this](int index) { block_.setValue(qvValueIndex::kColourChoice, index < 0 ? 0 : index); });
  connect(options_->defaultOutputLocation, &QLineEdit::editingFinished, this, &TqvNewStatus::outputLocationLeft);
  connect(options_->defaultLocationBrowse, &QPushButton::clicked, this, &TqvNewStatus::browseOutputLocation);
}

void TqvNewStatus::connectProxyCachePage() {
  qvProxyCachePage* page = proxyCache_;
  connect(page->enableCache, &QCheckBox::toggled, this, [this](bool on) {
    block_.setValue(qvValueIndex::kCacheEnabled, on ? 1 : 0);
    if (!on) options_->offlineMode->setChecked(false);
    options_->offlineMode->setEnabled(on && state_ != 2);
  });
  connect(page->validateFiles, &QCheckBox::toggled, this,
          [this](bool on) { block_.setValue(qvValueIndex::kValidateCache, on ? 1 : 0); });
  connect(page->cacheCgi, &QCheckBox::toggled, this,
          [this](bool on) { block_.setValue(qvValueIndex::kCacheCgi, on ? 1 : 0); });
  for (qvStepSpinBox* field : {page->maxCacheSize, page->cacheExpiresIn}) {
    connect(field, &qvStepSpinBox::stepped, this, [this] {
      publishLimits();
      block_.raiseStatus(qvStatusBit::kLimitsChanged);
    });
    connect(field, &qvStepSpinBox::editingFinished, this, &TqvNewStatus::publishLimits);
  }
  connect(page->enableProxy, &QCheckBox::toggled, this,
          [this](bool on) { block_.setValue(qvValueIndex::kProxyEnabled, on ? 1 : 0); });
  connect(page->fetchHttps, &QCheckBox::toggled, this,
          [this](bool on) { block_.setValue(qvValueIndex::kFetchHttps, on ? 1 : 0); });
  connect(page->httpProxyName, &QLineEdit::textChanged, this,
          [this](const QString& host) { block_.setText(qvStringIndex::kProxyHost, text(host.trimmed())); });
  connect(page->httpProxyPort, &QLineEdit::textChanged, this, [this] { checkProxyPort(false); });
  connect(page->httpProxyPort, &QLineEdit::textEdited, this, [this] { checkProxyPort(true); });
  connect(page->httpProxyPort, &QLineEdit::editingFinished, this, [this] { checkProxyPort(true); });
  connect(page->httpProxyName, &QLineEdit::editingFinished, this,
          [this] { block_.setText(qvStringIndex::kProxyHost, text(proxyCache_->httpProxyName->text().trimmed())); });
  connect(page->addNoProxy, &QPushButton::clicked, this, &TqvNewStatus::addNoProxyHost);
  connect(page->deleteNoProxy, &QPushButton::clicked, this, &TqvNewStatus::deleteNoProxyHost);
  connect(page->noProxyList, &QListWidget::itemSelectionChanged, this,
          [page] { page->deleteNoProxy->setEnabled(!page->noProxyList->selectedItems().isEmpty()); });
  connect(page->flushCache, &QPushButton::clicked, this, &TqvNewStatus::flushCache);
}

void TqvNewStatus::connectHelpPage() {
  connect(help_->secondHelpButton, &QPushButton::clicked, this, [this] { openHelp(qvHelpViewer::kContents); });
  connect(help_->howToGetLatestVersion, &QPushButton::clicked, this,
          [this] { openHelp(qvHelpViewer::kLatestVersion); });
  connect(help_->frequentlyAskedQuestions, &QPushButton::clicked, this,
          [this] { openHelp(qvHelpViewer::kQuestions); });
  connect(help_->aboutCorvane, &QPushButton::clicked, this, [this] { aboutBox_->showModal(); });
  help_->httpLabel->installEventFilter(this);
}

void TqvNewStatus::attachHints() {
  struct Hint {
    QWidget* control;
    int tag;
    QLabel* image;
  };
  const Hint table[] = {
      {start_->urlComboBox, 1027, start_->hintImage1}, {start_->browseUrl, 1027, start_->hintImage1},
      {start_->outputName, 1026, start_->hintImage1},  {start_->browseOutputFile, 1026, start_->hintImage1},
      {start_->startButton, 1029, start_->hintImage1}, {options_->siteWide, 1028, options_->hintImage2},
      {options_->noImages, 1025, options_->hintImage2}, {options_->retrieveCgi, 1024, options_->hintImage2},
      {options_->useBrowseButtons, 1046, options_->hintImage2}, {options_->offlineMode, 1045, options_->hintImage2},
      {options_->maxDepth, 1044, options_->hintImage2}, {options_->maxUrls, 1043, options_->hintImage2},
      {options_->maxTime, 1042, options_->hintImage2}, {options_->backgroundColour, 1041, options_->hintImage3},
      {options_->defaultOutputLocation, 1040, options_->hintImage3},
      {options_->defaultLocationBrowse, 1040, options_->hintImage3},
      {options_->saveToDefault, 1038, options_->hintImage3}, {options_->loadFromDefault, 1039, options_->hintImage3},
      {proxyCache_->httpProxyName, 1037, proxyCache_->hintImage4},
      {proxyCache_->httpProxyPort, 1036, proxyCache_->hintImage4},
      {proxyCache_->noProxyList, 1035, proxyCache_->hintImage4},
      {proxyCache_->addNoProxy, 1035, proxyCache_->hintImage4},
      {proxyCache_->deleteNoProxy, 1035, proxyCache_->hintImage4},
      {proxyCache_->enableProxy, 1034, proxyCache_->hintImage4},
      {proxyCache_->proxyNavigator, 1033, proxyCache_->hintImage4},
      {proxyCache_->proxyExplorer, 1032, proxyCache_->hintImage4},
      {proxyCache_->fetchHttps, 1054, proxyCache_->hintImage4},
      {proxyCache_->enableCache, 1031, proxyCache_->hintImage4},
      {proxyCache_->validateFiles, 1030, proxyCache_->hintImage4},
      {proxyCache_->cacheCgi, 1051, proxyCache_->hintImage4},
      {proxyCache_->maxCacheSize, 1050, proxyCache_->hintImage4},
      {proxyCache_->cacheExpiresIn, 1049, proxyCache_->hintImage4},
      {proxyCache_->cacheFileCount, 1048, proxyCache_->hintImage4},
      {proxyCache_->flushCache, 1047, proxyCache_->hintImage4},
  };
  for (const Hint& hint : table) hints_->attach(hint.control, hint.tag, hint.image);
  hints_->showNow(start_->hintImage1, 1029);
  hints_->showNow(options_->hintImage2, 1028);
  hints_->showNow(options_->hintImage3, 1041);
  hints_->showNow(proxyCache_->hintImage4, 1037);
}

void TqvNewStatus::showForUser() {
  setEnabled(true);
  show();
  raise();
  activateWindow();
}

void TqvNewStatus::showAtStartUp() {
  setEnabled(false);
  show();
  raise();
  aboutBox_->showUnwaited();
}

void TqvNewStatus::setTimeLimit(int seconds) {
  timeLimit_.setLimit(seconds);
  options_->maxTime->setText(QString::fromStdString(timeLimit_.limitText()));
  start_->timeLeftLabel->setEnabled(timeLimit_.hasLimit());
}

void TqvNewStatus::fillDerivedHelpFile() {
  start_->outputName->setText(derivedHelpFile());
  outputNameTyped_ = false;
}

void TqvNewStatus::displayTick() {
  hints_->tick();
  QLabel* const infoLabels[] = {status_->primaryBaseUrl, status_->currentBaseUrl, status_->currentUrl,
                                status_->currentFile};
  for (int i = 0; i < qvSharedBlock::kInfoCount; ++i) {
    const std::optional<std::string> info = block_.takeInfo(i);
    if (!info) continue;
    const QString shown = QString::fromLocal8Bit(info->c_str());
    infoLabels[i]->setText(shown);
    if (i == 2) start_->currentUrlLabel->setText(shown.isEmpty() ? QString() : "(processing " + shown + ")");
  }
  QLabel* const counters[] = {start_->urlsFound, start_->urlsProcessed, start_->urlsSkipped, start_->bytesReceived};
  QLabel* const statistics[] = {proxyCache_->cacheFileCount, proxyCache_->cacheTotalBytes, proxyCache_->cacheHits,
                                proxyCache_->cacheMisses};
  for (int i = 0; i < qvSharedBlock::kCounterCount; ++i) {
    const int counter = block_.takeCounter(i);
    if (counter != qvSharedBlock::kNone) {
      counters[i]->setText(QString::fromStdString(qvGroupedNumber(counter) + " "));
      traceShown("counter " + std::to_string(i), std::to_string(counter), counters[i]->text());
    }
    const int statistic = block_.takeCacheStatistic(i);
    if (statistic != qvSharedBlock::kNone) {
      statistics[i]->setText(QString::fromStdString(qvGroupedNumber(statistic) + " "));
    }
  }
  if (const std::optional<std::string> line = block_.takeStatusText()) {
    showStatusLine(" " + QString::fromLocal8Bit(line->c_str()));
    traceShown("status", *line, statusPanel_->text());
  }
  for (const std::string& warning : block_.takeWarnings()) {
    status_->warnings->appendPlainText(QString::fromLocal8Bit(warning.c_str()));
  }
  const int state = block_.takeRequestedState();
  if (state == qvSharedBlock::kNone) return;
  applyState(state);
  traceShown("state", std::to_string(state), start_->startButton->text() + " |" + statusPanel_->text());
}

void TqvNewStatus::traceShown(const std::string& what, const std::string& received, const QString& shown) {
  if (!trace_.enabled()) return;
  trace_.line(what + " received '" + received + "' shown '" + text(shown) + "'");
}

void TqvNewStatus::showStatusLine(const QString& line) {
  statusPanel_->setText(compilerLine_.isEmpty() ? line : compilerLine_);
}

void TqvNewStatus::applyState(int state) {
  if (state < 0 || state > 2) return;
  state_ = state;
  if (state == 0) applyIdle();
  if (state == 1) applyFetching();
  if (state == 2) applyFinalProcessing();
  start_->startButton->setEnabled(!compilerRunning_);
}

void TqvNewStatus::enableSettings(bool enabled) {
  for (QWidget* control : {static_cast<QWidget*>(start_->urlComboBox), static_cast<QWidget*>(start_->browseUrl),
                           static_cast<QWidget*>(start_->outputName), static_cast<QWidget*>(start_->browseOutputFile),
                           static_cast<QWidget*>(options_->lowerPanel)}) {
    control->setEnabled(enabled);
  }
}

void TqvNewStatus::applyIdle() {
  showStatusLine(" Enter Selections and Press Start");
  start_->startButton->setText("&Start");
  hints_->setStartOverride(start_->startButton, 0);
  secondTimer_->stop();
  activityTimer_->stop();
  start_->timeLeft->clear();
  start_->timeElapsed->clear();
  timeLimit_.resetElapsed();
  enableSettings(true);
  for (QWidget* control : {start_->exitButton1, start_->firstHelpButton}) control->setEnabled(true);
  options_->upperPanel->setEnabled(true);
  for (QWidget* control : options_->upperPanel->findChildren<QWidget*>()) control->setEnabled(true);
  options_->hangUp->setEnabled(false);  // no dial-up connection is ever active here
  options_->offlineMode->setEnabled(proxyCache_->enableCache->isChecked());
  for (QWidget* panel : {static_cast<QWidget*>(proxyCache_->proxyPanel),
                         static_cast<QWidget*>(proxyCache_->noProxyPanel),
                         static_cast<QWidget*>(proxyCache_->cachePanel)}) {
    panel->setEnabled(true);
  }
  for (QWidget* control : proxyCache_->proxyPanel->findChildren<QWidget*>()) control->setEnabled(true);
  proxyCache_->deleteNoProxy->setEnabled(!proxyCache_->noProxyList->selectedItems().isEmpty());
  for (QWidget* control : {static_cast<QWidget*>(proxyCache_->validateFiles),
                           static_cast<QWidget*>(proxyCache_->cacheCgi)}) {
    control->setEnabled(true);
  }
  start_->tcpSkip->setEnabled(false);
  activity_->hideLines();
  // Whether the clone buttons have a source to copy is known to the keeper.
  emit becameIdle();
}

void TqvNewStatus::applyFetching() {
  showStatusLine(" Getting required files");
  start_->startButton->setText("&Enough");
  hints_->setStartOverride(start_->startButton, 1052);
  timeLimit_.startRun();
  if (!timeLimit_.hasLimit()) start_->timeLeft->clear();
  start_->timeLeftLabel->setEnabled(timeLimit_.hasLimit());
  status_->warnings->clear();
  enableSettings(false);
  for (QWidget* control : {start_->exitButton1, start_->firstHelpButton}) control->setEnabled(true);
  options_->upperPanel->setEnabled(true);
  secondTimer_->start();
  for (QWidget* control : proxyCache_->proxyPanel->findChildren<QWidget*>()) control->setEnabled(false);
  proxyCache_->enableProxy->setEnabled(true);
  proxyCache_->noProxyPanel->setEnabled(false);
  proxyCache_->cachePanel->setEnabled(true);
  start_->tcpSkip->setEnabled(true);
  activity_->reset();
  activityTimer_->start();
}

void TqvNewStatus::applyFinalProcessing() {
  showStatusLine(" Processing files");
  start_->startButton->setText("&Just Stop!");
  hints_->setStartOverride(start_->startButton, 1053);
  secondTimer_->stop();
  activityTimer_->stop();
  start_->timeLeft->clear();
  enableSettings(false);
  for (QWidget* control : {start_->browseUrl, start_->browseOutputFile, start_->exitButton1, start_->firstHelpButton}) {
    control->setEnabled(false);
  }
  options_->upperPanel->setEnabled(false);
  for (QWidget* panel : {static_cast<QWidget*>(proxyCache_->proxyPanel),
                         static_cast<QWidget*>(proxyCache_->noProxyPanel),
                         static_cast<QWidget*>(proxyCache_->cachePanel)}) {
    panel->setEnabled(false);
  }
  start_->tcpSkip->setEnabled(false);
  activity_->hideLines();
}

void TqvNewStatus::startPressed() {
  if (state_ == 0) {
    if (start_->outputName->text().isEmpty()) {
      qvShowWindowBox(this, "Please provide an output file name", "Cannot start",
                      qvMessageBox::kOk | qvMessageBox::kIconWarning);
      return;
    }
    compilerLine_.clear();
    // The history and the URL's profile first: rebuilding the list moves the
    // box's text, and the engine reads the URL once it sees the start bit.
    emit urlProfileSaveWanted(start_->urlComboBox->currentText());
    emit settingsSaveRequested();
    publishSettings();
    block_.raiseStatus(qvStatusBit::kStart);
  } else if (state_ == 1) {
    publishSettings();
    block_.raiseStatus(qvStatusBit::kEnough);
    emit settingsSaveRequested();
  } else {
    publishSettings();
    block_.raiseStatus(qvStatusBit::kJustStop);
  }
  start_->startButton->setEnabled(false);
}

void TqvNewStatus::exitPressed() {
  start_->exitButton1->setEnabled(false);
  beginExit();
}

void TqvNewStatus::closeEvent(QCloseEvent* event) {
  // The window stays: the engine ends the process when it sees the exit bits.
  event->ignore();
  if (trayIcon_ != nullptr) trayIcon_->hide();
  hide();
  beginExit();
}

void TqvNewStatus::beginExit() {
  if (exitPending_ || exitDone_) return;
  // Saved before the engine can see the exit bits and end the process.
  emit settingsSaveRequested();
  exitPending_ = true;
  if (!compilerRunning_) {
    finishExit();
    return;
  }
  showStatusLine(" Waiting for the help compiler to end ...");
  QTimer::singleShot(kCompilerExitWaitMs, this, &TqvNewStatus::finishExit);
}

void TqvNewStatus::finishExit() {
  if (exitDone_) return;
  exitDone_ = true;
  block_.raiseNetwork(kNetworkClosing);
  block_.setExitFlag();
  block_.raiseStatus(qvStatusBit::kClosing);
}

void TqvNewStatus::secondTick() {
  if (timeLimit_.tick()) block_.raiseStatus(qvStatusBit::kEnough);
  if (timeLimit_.hasLimit()) start_->timeLeft->setText(QString::fromStdString(timeLimit_.remainingText()));
  start_->timeElapsed->setText(QString::fromStdString(timeLimit_.elapsedText()));
}

void TqvNewStatus::adjustTimeLimit(int seconds) {
  const bool usedUp = timeLimit_.adjust(seconds);
  options_->maxTime->setText(QString::fromStdString(timeLimit_.limitText()));
  start_->timeLeftLabel->setEnabled(timeLimit_.hasLimit());
  if (!timeLimit_.hasLimit()) {
    start_->timeLeft->clear();
    return;
  }
  if (!usedUp) return;
  block_.raiseStatus(qvStatusBit::kEnough);
  start_->timeLeft->setText(QString::fromStdString(qvTimeLimit::hoursMinutes(0)));
}

void TqvNewStatus::urlChanged(const QString& url) {
  block_.setUrl(text(url));
  outputNameTyped_ = false;
  emit urlProfileWanted(url);
}

void TqvNewStatus::urlLeft() {
  const QString typed = start_->urlComboBox->currentText();
  const QString completed = QString::fromLocal8Bit(qvUrlText::completed(text(typed)).c_str());
  if (completed != typed) start_->urlComboBox->setEditText(completed);
  if (!outputNameTyped_ && start_->outputName->text().isEmpty()) start_->outputName->setText(derivedHelpFile());
}

void TqvNewStatus::outputNameLeft() {
  if (!start_->outputName->text().isEmpty()) return;
  start_->outputName->setText(derivedHelpFile());
  outputNameTyped_ = false;
}

QString TqvNewStatus::derivedHelpFile() const {
  const std::string location = text(options_->defaultOutputLocation->text());
  const std::string url = text(start_->urlComboBox->currentText());
  return QString::fromLocal8Bit(qvUrlText::derivedHelpFile(location, url).c_str());
}

void TqvNewStatus::outputLocationLeft() {
  QLineEdit* field = options_->defaultOutputLocation;
  if (field->text().isEmpty()) field->setText(QDir::currentPath() + "/HelpFiles");
  QString path = field->text();
  while (path.size() > 1 && path.endsWith('/')) path.chop(1);
  if (path.size() <= 2 || QDir(path).exists()) return;
  const std::string question = "The directory '" + text(path) + "' does not exist - create it ?";
  const int answer = qvShowWindowBox(this, question, "Create Directory ?", qvMessageBox::kYesNo | qvMessageBox::kIconQuestion);
  // A folder that cannot be made shows up when the help file cannot be written.
  if (answer == qvMessageBox::kAnswerYes) QDir().mkpath(path);
}

void TqvNewStatus::browseUrl() {
  const QString file = QFileDialog::getOpenFileName(
      this, "Select Input File", QString(), "HTML Files (*.html *.htm *.shtml *.HTML *.HTM *.SHTML);;All Files (*)");
  if (file.isEmpty()) return;
  start_->urlComboBox->setEditText(file);
  start_->outputName->setText(derivedHelpFile());
  outputNameTyped_ = false;
}

void TqvNewStatus::browseOutputFile() {
  const QString file = QFileDialog::getSaveFileName(this, "Select Output File", start_->outputName->text(),
                                                    "Help Files (*.hlp);;All Files (*)");
  if (file.isEmpty()) return;
  start_->outputName->setText(file);
  outputNameTyped_ = true;
}

void TqvNewStatus::browseOutputLocation() {
  TBrowseFolder picker(this, options_->defaultOutputLocation->text());
  QString folder;
  if (picker.choose(folder)) options_->defaultOutputLocation->setText(folder);
}

void TqvNewStatus::checkProxyPort(bool fromUser) {
  if (checkingPort_) return;
  const QString port = proxyCache_->httpProxyPort->text();
  if (port.isEmpty()) return;
  bool number = false;
  const int value = port.toInt(&number);
  const bool digitsOnly = std::all_of(port.begin(), port.end(), [](QChar c) { return c >= '0' && c <= '9'; });
  if (number && digitsOnly && value >= 0 && value <= 65535) {
    block_.setValue(qvValueIndex::kProxyPort, value);
    return;
  }
  // A text the program put there is never questioned; it is checked when
  // the user edits it or leaves the field.
  if (!fromUser) return;
  checkingPort_ = true;
  qvShowWindowBox(this, "That is not a valid port number", "Proxy settings error",
                  qvMessageBox::kOk | qvMessageBox::kIconWarning);
  proxyCache_->httpProxyPort->setFocus();
  checkingPort_ = false;
}

void TqvNewStatus::addNoProxyHost() {
  QString host;
  if (enterUrl_->ask(host) && !host.isEmpty()) proxyCache_->noProxyList->addItem(host);
  publishNoProxyList();
}

void TqvNewStatus::deleteNoProxyHost() {
  const QList<QListWidgetItem*> chosen = proxyCache_->noProxyList->selectedItems();
  if (!chosen.isEmpty()) std::unique_ptr<QListWidgetItem>(proxyCache_->noProxyList->takeItem(proxyCache_->noProxyList->row(chosen.first())));
  publishNoProxyList();
  proxyCache_->deleteNoProxy->setEnabled(!proxyCache_->noProxyList->selectedItems().isEmpty());
}

void TqvNewStatus::flushCache() {
  const int answer = qvShowWindowBox(this, "This will delete all cached files !", "Are you sure ?",
                                     qvMessageBox::kYesNo | qvMessageBox::kIconQuestion);
  if (answer == qvMessageBox::kAnswerYes) block_.cacheCommandWord().fetch_or(kCacheFlush);
}

void TqvNewStatus::placeInTray() {
  if (!QSystemTrayIcon::isSystemTrayAvailable()) return;
  if (trayIcon_ == nullptr) {
    trayIcon_ = new QSystemTrayIcon(windowIcon(), this);
    connect(trayIcon_, &QSystemTrayIcon::activated, this, [this] {
      trayIcon_->hide();
      showForUser();
    });
  }
  trayIcon_->show();
  if (trayIcon_->isVisible()) hide();
}

void TqvNewStatus::openHelp(const char* context) {
  const std::string problem = qvHelpViewer::open(context);
  if (!problem.empty()) qvShowWindowBox(this, problem, "Corvane", qvMessageBox::kOk | qvMessageBox::kIconInformation);
}

bool TqvNewStatus::eventFilter(QObject* watched, QEvent* event) {
  if (watched == help_->httpLabel && event->type() == QEvent::MouseButtonRelease) {
    setCursor(Qt::BusyCursor);
    QProcess::startDetached("xdg-open", {QString::fromLatin1(qvHelpPage::kWebAddress)});
    unsetCursor();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void TqvNewStatus::publishSettings() {
  publishToggles();
  publishLimits();
  publishNoProxyList();
  block_.setValue(qvValueIndex::kColourChoice, std::max(0, options_->backgroundColour->currentIndex()));
  block_.setValue(qvValueIndex::kBrowseButtons, options_->useBrowseButtons->isChecked() ? 1 : 0);
  block_.setValue(qvValueIndex::kOffline, options_->offlineMode->isChecked() ? 1 : 0);
  block_.setValue(qvValueIndex::kCacheEnabled, proxyCache_->enableCache->isChecked() ? 1 : 0);
  block_.setValue(qvValueIndex::kValidateCache, proxyCache_->validateFiles->isChecked() ? 1 : 0);
  block_.setValue(qvValueIndex::kCacheCgi, proxyCache_->cacheCgi->isChecked() ? 1 : 0);
  block_.setValue(qvValueIndex::kProxyEnabled, proxyCache_->enableProxy->isChecked() ? 1 : 0);
  block_.setValue(qvValueIndex::kFetchHttps, proxyCache_->fetchHttps->isChecked() ? 1 : 0);
  block_.setText(qvStringIndex::kHelpFileName, text(start_->outputName->text()));
  block_.setText(qvStringIndex::kProxyHost, text(proxyCache_->httpProxyName->text().trimmed()));
  block_.setUrl(text(start_->urlComboBox->currentText()));
}

void TqvNewStatus::publishToggles() {
  int toggles = block_.toggles() & qvToggleBit::kSettingsLoaded;
  if (options_->siteWide->isChecked()) toggles |= qvToggleBit::kSiteWide;
  if (options_->noImages->isChecked()) toggles |= qvToggleBit::kNoImages;
  if (options_->retrieveCgi->isChecked()) toggles |= qvToggleBit::kRetrieveCgi;
  block_.setToggles(toggles);
}

void TqvNewStatus::publishLimits() {
  block_.setValue(qvValueIndex::kMaxUrls, options_->maxUrls->value());
  block_.setValue(qvValueIndex::kMaxDepth, options_->maxDepth->value());
  block_.setValue(qvValueIndex::kCacheSizeLimit, proxyCache_->maxCacheSize->value());
  block_.setValue(qvValueIndex::kCacheDays, proxyCache_->cacheExpiresIn->value());
}

void TqvNewStatus::publishNoProxyList() {
  std::vector<std::string> hosts;
  for (int i = 0; i < proxyCache_->noProxyList->count(); ++i) {
    hosts.push_back(text(proxyCache_->noProxyList->item(i)->text()));
  }
  block_.setText(qvStringIndex::kNoProxyFor, qvJoinHostList(hosts));
}

void TqvNewStatus::showPage(int offset) {
  const int count = pages_->count();
  pages_->setCurrentIndex((pages_->currentIndex() + offset + count) % count);
}

void TqvNewStatus::dragEnterEvent(QDragEnterEvent* event) {
  const bool idle = state_ == 0 && !compilerRunning_;
  if (idle && event->mimeData()->hasUrls() && !event->mimeData()->urls().isEmpty() &&
      event->mimeData()->urls().first().isLocalFile()) {
    event->acceptProposedAction();
  }
}

void TqvNewStatus::dropEvent(QDropEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  if (urls.isEmpty() || !urls.first().isLocalFile()) return;
  if (takeDroppedFile(urls.first().toLocalFile())) event->acceptProposedAction();
}

bool TqvNewStatus::takeDroppedFile(const QString& path) {
  // During a run the URL and options behind the disabled controls belong to
  // the run; changing them would save them into the running URL's profile.
  if (state_ != 0 || compilerRunning_ || path.isEmpty()) return false;
  start_->urlComboBox->setEditText(path.left(kLongestDroppedName));
  pages_->setCurrentWidget(start_);
  urlLeft();
  return true;
}

void TqvNewStatus::bringToFront() {
  if (trayIcon_ != nullptr) trayIcon_->hide();
  if (isMinimized()) showNormal();
  showForUser();
}

void TqvNewStatus::helpCompilerStarted(const QString& helpFile) {
  compilerRunning_ = true;
  compilerHelpFile_ = helpFile;
  compilerLine_ = " Running help compiler ...";
  statusPanel_->setText(compilerLine_);
  start_->startButton->setEnabled(false);
  if (!status_->warnings->toPlainText().isEmpty()) pages_->setCurrentWidget(status_);
}

void TqvNewStatus::helpCompilerEnded(int exitStatus, const QString& output) {
  compilerRunning_ = false;
  if (exitStatus == 0) {
    compilerLine_ = " Help file written: " + compilerHelpFile_;
  } else {
    compilerLine_ = " Help compiler failed (exit status " + QString::number(exitStatus) + ")";
    for (const QString& line : output.split('\n', Qt::SkipEmptyParts)) status_->warnings->appendPlainText(line);
  }
  statusPanel_->setText(compilerLine_);
  traceShown("compiler", std::to_string(exitStatus), statusPanel_->text());
  start_->startButton->setEnabled(!exitPending_);
  if (exitPending_) finishExit();
}
