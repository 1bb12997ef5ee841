#include "corvane2/TBrowseFolder.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QTimer>

TBrowseFolder::TBrowseFolder(QWidget* parent, const QString& start) : QFileDialog(parent) {
  setOption(QFileDialog::DontUseNativeDialog);
  setOption(QFileDialog::ShowDirsOnly);
  setFileMode(QFileDialog::Directory);
  setWindowTitle("Select default output directory");
  setDirectory(!start.isEmpty() && QFileInfo(start).isDir() ? start : QDir::rootPath());
  status_ = new QLabel(this);
  status_->setObjectName("StatusLine");
  if (auto* grid = qobject_cast<QGridLayout*>(layout())) grid->addWidget(status_, grid->rowCount(), 0, 1, -1);
  connect(this, &QFileDialog::currentChanged, this, &TBrowseFolder::selectionChanged);
  selectionChanged(directory().absolutePath());
}

QString TBrowseFolder::shortened(const QString& path, int width) {
  if (path.size() <= width) return path;
  QStringList parts = path.split('/');
  if (parts.size() < 3) return path;
  parts[1] = "...";
  while (parts.join('/').size() > width && parts.size() > 3) parts.removeAt(2);
  return parts.join('/');
}

QString TBrowseFolder::selection() const {
  const QStringList chosen = selectedFiles();
  return chosen.isEmpty() ? directory().absolutePath() : chosen.first();
}

void TBrowseFolder::selectionChanged(const QString& path) {
  status_->setText(shortened(path));
  // After the dialog's own update of its buttons, which knows nothing of
  // what may be chosen here.
  QTimer::singleShot(0, this, [this, path] {
    const auto* box = findChild<QDialogButtonBox*>();
    if (box == nullptr) return;
    for (QAbstractButton* button : box->buttons()) {
      if (box->buttonRole(button) == QDialogButtonBox::AcceptRole) button->setEnabled(QFileInfo(path).isDir());
    }
  });
}

void TBrowseFolder::accept() {
  if (!QFileInfo(selection()).isDir()) return;
  QFileDialog::accept();
}

bool TBrowseFolder::choose(QString& folder) {
  if (exec() != QDialog::Accepted) return false;
  folder = selection();
  return true;
}
