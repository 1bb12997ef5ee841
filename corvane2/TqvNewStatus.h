#pragma once
// The main window: five pages of settings and progress, the Start button
// whose meaning follows the run, and the bottom strip with the status bar.
// It lives on the window thread; the engine reaches it only through the
// shared block, which the 25 ms display tick reads and the controls write.

#include <QString>
#include <QWidget>
#include <memory>
#include <string>

#include "corvane2/qvTimeLimit.h"
#include "corvane2/qvUiTrace.h"

class QLabel;
class QSystemTrayIcon;
class QTabWidget;
class QTimer;
class QToolButton;
class qvActivityLines;
class qvHelpPage;
class qvHintPictures;
class qvSettingsKeeper;
class TAboutBox;
class TEnterURLForm;
class qvOptionsPage;
class qvProxyCachePage;
class qvSharedBlock;
class qvStartPage;
class qvStatusPage;

class TqvNewStatus : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kTickMs = 25;
  static constexpr int kActivityMs = 100;
  // How long closing waits for a running help compiler.
  static constexpr int kCompilerExitWaitMs = 60000;

  // Created hidden and disabled; Init shows it.
  explicit TqvNewStatus(qvSharedBlock& block, QWidget* parent = nullptr);
  ~TqvNewStatus() override;

  // Shows, enables and raises the window.
  void showForUser();
  // The start-up screen: the window shown but disabled, the about box over
  // it; the about box enables the window after its delay.
  void showAtStartUp();

  // The options changed by a profile being loaded: the limit set outright,
  // and the help file name derived from the URL when none is given.
  void setTimeLimit(int seconds);
  void fillDerivedHelpFile();
  // Every control's value into the shared block, raising no bit.
  void publishSettings();
  // The port text into the shared port when it is one; otherwise, unless
  // the program set the text itself, the box that says so.
  void checkProxyPort(bool fromUser);

  // One display tick: what the engine stored since the last one.
  void displayTick();
  // One second of a run's clocks.
  void secondTick();
  int runState() const { return state_; }

  // The help compiler was started for `helpFile`; Start waits for it.
  void helpCompilerStarted(const QString& helpFile);
  // The compiler ended with `exitStatus`; `output` is what it printed.
  void helpCompilerEnded(int exitStatus, const QString& output);
  bool helpCompilerRunning() const { return compilerRunning_; }

  // A file dropped on the window (only taken while idle).
  bool takeDroppedFile(const QString& path);
  // Another copy of the program asked for the window.
  void bringToFront();

  QTabWidget* pages() const { return pages_; }
  qvStartPage* startPage() const { return start_; }
  qvOptionsPage* optionsPage() const { return options_; }
  qvStatusPage* statusPage() const { return status_; }
  qvProxyCachePage* proxyCachePage() const { return proxyCache_; }
  qvHelpPage* helpPage() const { return help_; }
  QLabel* statusPanel() const { return statusPanel_; }
  QToolButton* taskBarButton() const { return taskBarButton_; }
  qvActivityLines* activityLines() const { return activity_; }
  qvHintPictures* hints() const { return hints_; }
  const qvTimeLimit& timeLimit() const { return timeLimit_; }
  qvSettingsKeeper* settingsKeeper() const { return keeper_; }
  TAboutBox* aboutBox() const { return aboutBox_; }
  TEnterURLForm* enterUrlForm() const { return enterUrl_; }
  bool outputNameTyped() const { return outputNameTyped_; }

 signals:
  // The settings are to be stored now (Start, Enough, Exit, closing).
  void settingsSaveRequested();
  // The URL text changed: its profile, if any, is to be loaded.
  void urlProfileWanted(const QString& url);
  // A run starts for `url`: its profile is to be saved.
  void urlProfileSaveWanted(const QString& url);
  // The window went back to idle: the proxy sources are to be looked at.
  void becameIdle();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildWindow();
  void connectStartPage();
  void connectOptionsPage();
  void connectProxyCachePage();
  void connectHelpPage();
  void attachHints();

  void applyState(int state);
  void applyIdle();
  void applyFetching();
  void applyFinalProcessing();
  void enableSettings(bool enabled);
  void showStatusLine(const QString& text);
  void traceShown(const std::string& what, const std::string& received, const QString& shown);

  void startPressed();
  void exitPressed();
  void beginExit();
  void finishExit();
  void adjustTimeLimit(int seconds);
  void urlChanged(const QString& text);
  void urlLeft();
  void outputNameLeft();
  void outputLocationLeft();
  void browseUrl();
  void browseOutputFile();
  void browseOutputLocation();
  void flushCache();
  void addNoProxyHost();
  void deleteNoProxyHost();
  void placeInTray();
  void openHelp(const char* context);
  void publishToggles();
  void publishLimits();
  void publishNoProxyList();
  QString derivedHelpFile() const;
  void showPage(int offset);

  qvSharedBlock& block_;
  QTabWidget* pages_;
  qvStartPage* start_;
  qvOptionsPage* options_;
  qvStatusPage* status_;
  qvProxyCachePage* proxyCache_;
  qvHelpPage* help_;
  QToolButton* taskBarButton_;
  QLabel* statusPanel_;
  qvActivityLines* activity_;
  qvHintPictures* hints_;
  QTimer* displayTimer_;
  QTimer* secondTimer_;
  QTimer* activityTimer_;
  QSystemTrayIcon* trayIcon_ = nullptr;
  qvSettingsKeeper* keeper_ = nullptr;
  TAboutBox* aboutBox_;
  TEnterURLForm* enterUrl_;

  int state_ = 0;
  qvTimeLimit timeLimit_;
  qvUiTrace trace_;
  bool outputNameTyped_ = false;
  bool compilerRunning_ = false;
  bool exitPending_ = false;
  bool exitDone_ = false;
  // The port box is showing: the focus it takes ends the editing again.
  bool checkingPort_ = false;
  // A line about the help compiler stays in the status bar until the next
  // Start, whatever the engine reports while idle.
  QString compilerLine_;
  QString compilerHelpFile_;
};
