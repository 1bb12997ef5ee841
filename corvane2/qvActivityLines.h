#pragma once
// The activity area of the bottom strip: while files are fetched, a vertical
// line widens and narrows and a horizontal line moves up and down, one step
// per timer tick, so the user sees the program is alive.

#include <QFrame>

class qvActivityLines : public QFrame {
 public:
  explicit qvActivityLines(QWidget* parent);

  // Back to the first position: vertical line 2 wide, horizontal line at 2.
  void reset();
  // One step of both lines; shows them.
  void step();
  // Hides both lines.
  void hideLines();

  int lineWidth() const { return width_; }
  int lineTop() const { return top_; }
  bool linesVisible() const;

 private:
  void place();

  QFrame* vertical_;
  QFrame* horizontal_;
  int width_ = 2;
  int top_ = 2;
  int widthStep_ = 1;
  int topStep_ = 1;
};
