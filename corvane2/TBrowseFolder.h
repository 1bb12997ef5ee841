#pragma once
// The folder picker of the output location: Qt's own dialog (the same on
// every desktop and on the offscreen platform), folders only, with a status
// line under it that shows the selected path, shortened to fit.

#include <QFileDialog>
#include <QString>

class QLabel;

class TBrowseFolder : public QFileDialog {
 public:
  static constexpr int kStatusWidth = 35;

  // Opens at `start` when that folder exists, else at "/".
  TBrowseFolder(QWidget* parent, const QString& start);

  // `path` when it fits in `width` characters; else its first element,
  // "...", and as many of the last elements as fit (at least two).
  static QString shortened(const QString& path, int width = kStatusWidth);

  // Shows the picker modally; true with the chosen folder on OK.
  bool choose(QString& folder);

  QLabel* statusLine() const { return status_; }

  // Closes with OK only when the selection is a folder.
  void accept() override;

 private:
  void selectionChanged(const QString& path);
  QString selection() const;

  QLabel* status_;
};
