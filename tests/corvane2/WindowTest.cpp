// The main window's logic on the offscreen platform: run states, the bits the
// buttons raise, the time limit, derived names, drops and the help compiler's
// hold on Start. Each test has a window of its own over a block of its own.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <atomic>
#include <climits>
#include <memory>
#include <thread>

#include "corvane2/TqvNewStatus.h"
#include "tests/corvane2/BoxAnswer.h"
#include "tests/corvane2/ProxyTestHome.h"
#include "corvane2/qvActivityLines.h"
#include "corvane2/qvHintPictures.h"
#include "corvane2/qvHostList.h"
#include "corvane2/qvNumberFormat.h"
#include "corvane2/qvOptionsPage.h"
#include "corvane2/qvProxyCachePage.h"
#include "corvane2/qvSharedBlock.h"
#include "corvane2/qvStartPage.h"
#include "corvane2/qvStatusPage.h"
#include "corvane2/qvStepSpinBox.h"
#include "corvane2/qvTimeLimit.h"
#include "ui/qvUserInterfaceCodes.h"

namespace {

void clickCheckBox(QCheckBox* box) { QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2)); }

}  // namespace

class WindowTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<qvSharedBlock> block_;
  std::unique_ptr<TqvNewStatus> window_;
  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<ProxyTestHome> home_;

  void setState(int state) {
    block_->requestState(state);
    window_->displayTick();
  }

 private slots:
  void init() {
    dir_ = std::make_unique<QTemporaryDir>();
    // Each window keeps its settings in a registry of its own, and its
    // proxy sources see a made-up user.
    home_ = std::make_unique<ProxyTestHome>();
    block_ = std::make_unique<qvSharedBlock>();
    window_ = std::make_unique<TqvNewStatus>(*block_);
    window_->showForUser();
    window_->optionsPage()->defaultOutputLocation->setText(dir_->path());
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    block_->takeStatus();
  }

  void cleanup() {
    window_.reset();
    block_.reset();
    home_.reset();
  }

  void createdHiddenAndDisabled() {
    qvSharedBlock block;
    TqvNewStatus fresh(block);
    QVERIFY(!fresh.isVisible());
    QVERIFY(!fresh.isEnabled());
    QCOMPARE(fresh.windowTitle(), QString("Corvane v1.1"));
    QCOMPARE(fresh.pages()->count(), 5);
    QCOMPARE(fresh.pages()->tabText(0), QString("   Start   "));
    QCOMPARE(fresh.pages()->tabText(4), QString("        Help        "));
    QCOMPARE(fresh.minimumSize(), fresh.maximumSize());
    QCOMPARE(fresh.startPage()->startButton->text(), QString("&Start"));
    QVERIFY(!fresh.startPage()->tcpSkip->isEnabled());
    QCOMPARE(block.takeStatus(), 0);
  }

  void stateTable() {
    qvStartPage* start = window_->startPage();
    qvOptionsPage* options = window_->optionsPage();
    qvProxyCachePage* proxy = window_->proxyCachePage();
    window_->statusPage()->warnings->appendPlainText("old warning");

    setState(1);
    QCOMPARE(window_->statusPanel()->text(), QString(" Getting required files"));
    QCOMPARE(start->startButton->text(), QString("&Enough"));
    QVERIFY(start->startButton->isEnabled());
    QVERIFY(start->tcpSkip->isEnabled());
    QVERIFY(!start->urlComboBox->isEnabled());
    QVERIFY(!start->outputName->isEnabled());
    QVERIFY(!options->lowerPanel->isEnabled());
    QVERIFY(options->siteWide->isEnabled());
    QVERIFY(options->maxUrls->isEnabled());
    QVERIFY(!proxy->httpProxyName->isEnabled());
    QVERIFY(proxy->enableProxy->isEnabled());
    QVERIFY(proxy->cachePanel->isEnabled());
    QVERIFY(!proxy->noProxyPanel->isEnabled());
    QVERIFY(window_->statusPage()->warnings->toPlainText().isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(window_->activityLines()->linesVisible(), 5000);

    setState(2);
    QCOMPARE(window_->statusPanel()->text(), QString(" Processing files"));
    QCOMPARE(start->startButton->text(), QString("&Just Stop!"));
    QVERIFY(start->startButton->isEnabled());
    QVERIFY(!start->tcpSkip->isEnabled());
    QVERIFY(!start->exitButton1->isEnabled());
    QVERIFY(!options->siteWide->isEnabled());
    QVERIFY(!proxy->cachePanel->isEnabled());
    QVERIFY(!window_->activityLines()->linesVisible());

    setState(0);
    QCOMPARE(window_->statusPanel()->text(), QString(" Enter Selections and Press Start"));
    QCOMPARE(start->startButton->text(), QString("&Start"));
    QVERIFY(start->urlComboBox->isEnabled());
    QVERIFY(start->exitButton1->isEnabled());
    QVERIFY(options->siteWide->isEnabled());
    QVERIFY(options->lowerPanel->isEnabled());
    QVERIFY(proxy->httpProxyName->isEnabled());
    QVERIFY(!options->hangUp->isEnabled());
    QVERIFY(!proxy->deleteNoProxy->isEnabled());
    QVERIFY(!start->tcpSkip->isEnabled());
    QVERIFY(start->timeElapsed->text().isEmpty());
    QCOMPARE(window_->runState(), 0);
  }

  void startButtonBitsFollowTheState() {
    qvStartPage* start = window_->startPage();
    QSignalSpy saved(window_.get(), &TqvNewStatus::settingsSaveRequested);
    start->urlComboBox->setEditText("http://example.com/");
    start->outputName->clear();
    auto box = answerNextBox(QMessageBox::Ok);
    start->startButton->click();
    QVERIFY(box->seen);
    QCOMPARE(box->caption, QString("Cannot start"));
    QCOMPARE(box->text, QString("Please provide an output file name"));
    QCOMPARE(box->icon, QMessageBox::Warning);
    QCOMPARE(block_->takeStatus(), 0);
    QCOMPARE(saved.count(), 0);
    QVERIFY(start->startButton->isEnabled());

    start->outputName->setText(dir_->filePath("x.hlp"));
    start->startButton->click();
    QCOMPARE(block_->takeStatus(), int(qvStatusBit::kStart));
    QCOMPARE(saved.count(), 1);
    QVERIFY(!start->startButton->isEnabled());
    QCOMPARE(start->urlComboBox->itemText(0), QString("http://example.com/"));

    setState(1);
    start->startButton->click();
    QCOMPARE(block_->takeStatus(), int(qvStatusBit::kEnough));
    QCOMPARE(saved.count(), 2);
    setState(2);
    start->startButton->click();
    QCOMPARE(block_->takeStatus(), int(qvStatusBit::kJustStop));
    QCOMPARE(saved.count(), 2);
    QVERIFY(!start->startButton->isEnabled());

    setState(1);
    start->tcpSkip->click();
    QCOMPARE(block_->takeNetwork(), 0x1);
  }

  void settingsReachTheEngineButLoadsRaiseNoBits() {
    qvOptionsPage* options = window_->optionsPage();
    options->siteWide->setChecked(true);
    options->maxUrls->setValue(77);
    options->maxDepth->setValue(3);
    QCOMPARE(block_->takeStatus(), 0);

    clickCheckBox(options->noImages);
    QVERIFY(options->noImages->isChecked());
    QCOMPARE(block_->takeStatus(), int(qvStatusBit::kTogglesChanged));
    QCOMPARE(block_->toggles(), qvToggleBit::kSiteWide | qvToggleBit::kNoImages | qvToggleBit::kSettingsLoaded);

    options->maxDepth->setFocus();
    QTest::keyClick(options->maxDepth, Qt::Key_Up);
    QCOMPARE(block_->takeStatus(), int(qvStatusBit::kLimitsChanged));
    QCOMPARE(block_->value(qvValueIndex::kMaxDepth), 4);
    QCOMPARE(block_->value(qvValueIndex::kMaxUrls), 77);

    window_->proxyCachePage()->enableCache->setChecked(false);
    QVERIFY(!options->offlineMode->isEnabled());
    QCOMPARE(block_->value(qvValueIndex::kCacheEnabled), 0);
    window_->proxyCachePage()->noProxyList->addItems({"localhost", "my host", "a\"b"});
    window_->startPage()->outputName->setText("x");
    window_->startPage()->startButton->click();
    char list[64] = {};
    block_->copyText(qvStringIndex::kNoProxyFor, list, sizeof list);
    QCOMPARE(QString(list), QString("localhost,\"my host\",\"a\"\"b\""));
    QCOMPARE(QString::fromStdString(qvJoinHostList({""})), QString("\"\""));
  }

  void timeLimit() {
    qvOptionsPage* options = window_->optionsPage();
    options->timeDown->click();
    QCOMPARE(options->maxTime->text(), QString(" 0h 00m"));
    QVERIFY(!window_->startPage()->timeLeftLabel->isEnabled());
    options->timeRight->click();
    QCOMPARE(options->maxTime->text(), QString(" 0h 05m"));
    QVERIFY(window_->startPage()->timeLeftLabel->isEnabled());
    for (int i = 0; i < 120; ++i) options->timeUp->click();
    QCOMPARE(options->maxTime->text(), QString("99h 00m"));
    QCOMPARE(window_->timeLimit().limit(), qvTimeLimit::kMaximum);
    options->timeRight->click();
    QCOMPARE(window_->timeLimit().limit(), qvTimeLimit::kMaximum);
    for (int i = 0; i < 99; ++i) options->timeDown->click();
    options->timeRight->click();
    options->timeLeft->click();
    options->timeRight->click();
    QCOMPARE(window_->timeLimit().limit(), 300);
    QCOMPARE(block_->takeStatus(), 0);

    setState(1);
    for (int second = 0; second < 299; ++second) window_->secondTick();
    QCOMPARE(block_->takeStatus(), 0);
    QCOMPARE(window_->startPage()->timeLeft->text(), QString(" 0h 00m 01s"));
    window_->secondTick();
    QCOMPARE(block_->takeStatus(), int(qvStatusBit::kEnough));
    QCOMPARE(window_->startPage()->timeElapsed->text(), QString(" 0h 05m 00s"));
    window_->secondTick();
    QCOMPARE(block_->takeStatus(), 0);

    setState(0);
    options->timeRight->click();
    QCOMPARE(window_->timeLimit().limit(), 600);
    setState(1);
    for (int second = 0; second < 400; ++second) window_->secondTick();
    QCOMPARE(block_->takeStatus(), 0);
    options->timeLeft->click();  // five minutes, less than what has gone by
    QCOMPARE(block_->takeStatus(), int(qvStatusBit::kEnough));
    QCOMPARE(window_->startPage()->timeLeft->text(), QString(" 0h 00m"));
  }

  void derivedNamesAndUrlCompletion() {
    qvStartPage* start = window_->startPage();
    const QString location = dir_->path();
    start->outputName->clear();
    start->urlComboBox->setFocus();
    start->urlComboBox->setEditText("www.example.com/docs/index.html");
    emit start->urlComboBox->lineEdit()->editingFinished();
    QCOMPARE(start->urlComboBox->currentText(), QString("http://www.example.com/docs/index.html"));
    QCOMPARE(start->outputName->text(), location + "/example.hlp");
    char url[256] = {};
    block_->copyUrl(url, sizeof url);
    QCOMPARE(QString(url), QString("http://www.example.com/docs/index.html"));

    QDir(location).mkpath("sample/Site");
    start->outputName->clear();
    start->urlComboBox->setEditText(location + "/sample/Site/");
    emit start->urlComboBox->lineEdit()->editingFinished();
    QCOMPARE(start->urlComboBox->currentText(), location + "/sample/Site/");
    QCOMPARE(start->outputName->text(), location + "/site.hlp");

    for (const char* kept : {"c:\\web\\a.htm", "\\\\server\\share", "x", "ftp://host/a"}) {
      start->urlComboBox->setEditText(kept);
      emit start->urlComboBox->lineEdit()->editingFinished();
      QCOMPARE(start->urlComboBox->currentText(), QString(kept));
    }

    QTest::keyClicks(start->outputName, "mine.hlp");
    QVERIFY(window_->outputNameTyped());
    start->urlComboBox->setEditText("http://www.other.org/");
    QVERIFY(!window_->outputNameTyped());
    // A URL without a profile of its own takes the default's options, which
    // name no help file: the name typed for the last URL must not carry over
    // and overwrite that URL's help file.
    emit start->urlComboBox->lineEdit()->editingFinished();
    QCOMPARE(start->outputName->text(), location + "/other.hlp");
    start->outputName->clear();
    emit start->outputName->editingFinished();
    QCOMPARE(start->outputName->text(), location + "/other.hlp");
    char name[256] = {};
    block_->copyText(qvStringIndex::kHelpFileName, name, sizeof name);
    QCOMPARE(QString(name), location + "/other.hlp");
  }

  void outputLocationIsCreatedOnlyWhenAsked() {
    QLineEdit* field = window_->optionsPage()->defaultOutputLocation;
    const QString missing = dir_->filePath("new/deeper");
    field->setText(missing + "/");
    auto box = answerNextBox(QMessageBox::No);
    emit field->editingFinished();
    QVERIFY(box->seen);
    QCOMPARE(box->caption, QString("Create Directory ?"));
    QCOMPARE(box->text, "The directory '" + missing + "' does not exist - create it ?");
    QVERIFY(!QDir(missing).exists());
    box = answerNextBox(QMessageBox::Yes);
    emit field->editingFinished();
    QVERIFY(QDir(missing).exists());
    field->clear();
    box = answerNextBox(QMessageBox::No);  // asked only when the build folder has none yet
    emit field->editingFinished();
    QCOMPARE(field->text(), QDir::currentPath() + "/HelpFiles");
  }

  void flushCacheAsksFirst() {
    auto box = answerNextBox(QMessageBox::No);
    window_->proxyCachePage()->flushCache->click();
    QVERIFY(box->seen);
    QCOMPARE(box->caption, QString("Are you sure ?"));
    QCOMPARE(box->text, QString("This will delete all cached files !"));
    QCOMPARE(block_->cacheCommandWord().load(), 0);
    box = answerNextBox(QMessageBox::Yes);
    window_->proxyCachePage()->flushCache->click();
    QCOMPARE(block_->cacheCommandWord().load(), 0x2);
  }

  void dropsOnlyWhileIdle() {
    const QString file = dir_->filePath("page.html");
    window_->pages()->setCurrentIndex(3);
    auto drop = [this, &file] {
      QMimeData data;
      data.setUrls({QUrl::fromLocalFile(file)});
      QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(window_.get(), &enter);
      if (!enter.isAccepted()) return false;
      QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(window_.get(), &dropped);
      return true;
    };
    setState(1);
    QVERIFY(!drop());
    QVERIFY(!window_->takeDroppedFile(file));
    QVERIFY(window_->startPage()->urlComboBox->currentText().isEmpty());
    setState(0);
    window_->helpCompilerStarted("x.hlp");
    QVERIFY(!window_->takeDroppedFile(file));
    window_->helpCompilerEnded(0, {});
    window_->startPage()->outputName->clear();
    QVERIFY(drop());
    QCOMPARE(window_->startPage()->urlComboBox->currentText(), file);
    QCOMPARE(window_->pages()->currentIndex(), 0);
    QCOMPARE(window_->startPage()->outputName->text(), dir_->filePath("page.hlp"));
  }

  void exitSavesBeforeTheEngineMayEnd() {
    int exitFlagWhenSaved = -1;
    connect(window_.get(), &TqvNewStatus::settingsSaveRequested, this,
            [&] { exitFlagWhenSaved = block_->exitFlag() | (block_->toggles() & 0); });
    window_->startPage()->exitButton1->click();
    QCOMPARE(exitFlagWhenSaved, 0);
    QCOMPARE(block_->exitFlag(), 1);
    QCOMPARE(block_->takeStatus(), int(qvStatusBit::kClosing));
    QCOMPARE(block_->takeNetwork(), 0x8);
    QVERIFY(!window_->startPage()->exitButton1->isEnabled());
  }

  void closingWaitsForTheHelpCompiler() {
    window_->statusPage()->warnings->clear();
    window_->pages()->setCurrentIndex(1);
    window_->helpCompilerStarted("/tmp/site.hlp");
    QCOMPARE(window_->pages()->currentIndex(), 1);
    QCOMPARE(window_->statusPanel()->text(), QString(" Running help compiler ..."));
    setState(0);
    QVERIFY(!window_->startPage()->startButton->isEnabled());
    window_->close();
    QVERIFY(!window_->isVisible());
    QCOMPARE(block_->exitFlag(), 0);
    QCOMPARE(block_->takeStatus(), 0);
    window_->helpCompilerEnded(0, {});
    QCOMPARE(window_->statusPanel()->text(), QString(" Help file written: /tmp/site.hlp"));
    QCOMPARE(block_->exitFlag(), 1);
    QCOMPARE(block_->takeStatus(), int(qvStatusBit::kClosing));
  }

  void compilerLineStaysUntilTheNextStart() {
    window_->statusPage()->warnings->appendPlainText("a warning of the run");
    window_->helpCompilerStarted("site.hlp");
    QCOMPARE(window_->pages()->currentWidget(), static_cast<QWidget*>(window_->statusPage()));
    window_->helpCompilerEnded(2, "rtf/out1.rtf: bad\nsecond line\n");
    QCOMPARE(window_->statusPanel()->text(), QString(" Help compiler failed (exit status 2)"));
    QVERIFY(window_->statusPage()->warnings->toPlainText().endsWith("rtf/out1.rtf: bad\nsecond line"));
    QVERIFY(window_->startPage()->startButton->isEnabled());
    block_->setStatusText("Idle");
    window_->displayTick();
    QCOMPARE(window_->statusPanel()->text(), QString(" Help compiler failed (exit status 2)"));
    window_->startPage()->outputName->setText("x");
    window_->startPage()->startButton->click();
    block_->setStatusText("Getting things");
    window_->displayTick();
    QCOMPARE(window_->statusPanel()->text(), QString(" Getting things"));
  }

  void pagesFollowAltArrows() {
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    window_->pages()->setCurrentIndex(0);
    QTest::keyClick(window_.get(), Qt::Key_Right, Qt::AltModifier);
    QCOMPARE(window_->pages()->currentIndex(), 1);
    QTest::keyClick(window_.get(), Qt::Key_Left, Qt::AltModifier);
    QTest::keyClick(window_.get(), Qt::Key_Left, Qt::AltModifier);
    QCOMPARE(window_->pages()->currentIndex(), 4);
  }

  void hintsWaitTenTicks() {
    QLabel* image = window_->startPage()->hintImage1;
    QCOMPARE(qvHintPictures::shownTag(image), 1029);
    window_->hints()->choose(image, 1026);
    for (int i = 0; i < qvHintPictures::kDelayTicks - 1; ++i) window_->hints()->tick();
    QCOMPARE(qvHintPictures::shownTag(image), 1029);
    window_->hints()->tick();
    QCOMPARE(qvHintPictures::shownTag(image), 1026);
    QVERIFY(image->text().startsWith("Help File Name"));
    for (int tag = 1024; tag <= 1053; ++tag) QVERIFY2(!qvHintPictures::text(tag).isEmpty(), qPrintable(QString::number(tag)));
  }

  void activityLinesBounce() {
    qvActivityLines lines(nullptr);
    lines.reset();
    int widest = 0;
    int lowest = 0;
    for (int i = 0; i < 400; ++i) {
      lines.step();
      widest = std::max(widest, lines.lineWidth());
      lowest = std::max(lowest, lines.lineTop());
      QVERIFY(lines.lineWidth() >= 1 && lines.lineWidth() <= lines.width() - 1);
      QVERIFY(lines.lineTop() >= 1 && lines.lineTop() <= lines.height() - 1);
    }
    QCOMPARE(widest, lines.width() - 2);
    QCOMPARE(lowest, lines.height() - 2);
  }

  // The window raises each of 30 bits once while the engine takes the set
  // over and over; every bit must reach the engine exactly once.
  void sharedBlockLosesNoBit() {
    for (int round = 0; round < 200; ++round) {
      qvSharedBlock block;
      std::atomic<bool> done{false};
      std::thread window([&] {
        for (int bit = 0; bit < 30; ++bit) block.raiseStatus(1 << bit);
        done = true;
      });
      int seen = 0;
      int twice = 0;
      while (!done) {
        const int taken = block.takeStatus();
        twice |= seen & taken;
        seen |= taken;
      }
      window.join();
      const int last = block.takeStatus();
      twice |= seen & last;
      seen |= last;
      QCOMPARE(seen, (1 << 30) - 1);
      QCOMPARE(twice, 0);
    }
  }

  void numberFormat() {
    QCOMPARE(QString::fromStdString(qvGroupedNumber(0)), QString("0"));
    QCOMPARE(QString::fromStdString(qvGroupedNumber(999)), QString("999"));
    QCOMPARE(QString::fromStdString(qvGroupedNumber(1000)), QString("1,000"));
    QCOMPARE(QString::fromStdString(qvGroupedNumber(1234567)), QString("1,234,567"));
    QCOMPARE(QString::fromStdString(qvGroupedNumber(INT_MAX)), QString("2,147,483,647"));
    QCOMPARE(QString::fromStdString(qvGroupedNumber(-1234)), QString("-1,234"));
  }
};

QTEST_MAIN(WindowTest)
#include "WindowTest.moc"
