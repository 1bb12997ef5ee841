#pragma once
// The hint area of each page: a short explanation of the control the user is
// in or points at. A control carries its explanation's number as its tag;
// the choice is shown after a delay of ten display ticks, so that sweeping
// the mouse across the page does not make the text flicker.

#include <QObject>
#include <QString>

class QLabel;
class QWidget;

class qvHintPictures : public QObject {
 public:
  static constexpr int kDelayTicks = 10;

  explicit qvHintPictures(QObject* parent);

  // `control` shows explanation `tag` in `image` when entered or pointed at.
  void attach(QWidget* control, int tag, QLabel* image);
  // Shows `tag` in `image` at once (the initial choice of each page).
  void showNow(QLabel* image, int tag);
  // Chooses `tag` for `image`; shown after the delay. Tag 0, or the tag
  // already chosen, changes nothing.
  void choose(QLabel* image, int tag);
  // The Start button's picture during a run replaces its own tag.
  void setStartOverride(QWidget* startButton, int tag);

  // One display tick of the delay.
  void tick();

  // The tag an image shows now (0 for none).
  static int shownTag(const QLabel* image);
  // Our explanation for each tag; empty for a tag we do not know.
  static QString text(int tag);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QLabel* pendingImage_ = nullptr;
  int pendingTag_ = 0;
  int countdown_ = 0;
  QWidget* startButton_ = nullptr;
  int startOverride_ = 0;
};
