#pragma once
// The about box, which is also the start-up screen. Shown while the main
// window is still disabled, its "&OK" waits two seconds, then enables itself
// and the main window; shown later it is modal and ready at once. Escape and
// Space close it with Cancel, Enter only while "&OK" is enabled.

#include <QDialog>

class QLabel;
class QPushButton;
class QTimer;

class TAboutBox : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kStartUpDelayMs = 2000;

  explicit TAboutBox(QWidget* mainWindow);

  // Shows the box without waiting. When the main window is disabled, "&OK"
  // is disabled until the start-up delay has passed, which enables both.
  void showUnwaited();
  // Shows the box modally over the main window (from "A&bout Corvane").
  int showModal();

  QLabel* ProgramIcon;
  QPushButton* OKButton;

 signals:
  // "&OK" was pressed.
  void okPressed();
  // A key reached the box (before it acts on it).
  void keyReceived();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void prepare();
  void startUpDelayOver();
  // True when the key was one the box acts on (it is then consumed).
  bool handleKey(QKeyEvent* event);

  QWidget* mainWindow_;
  QTimer* startUpTimer_;
};
