#pragma once
// "Enter Domain to exclude": asks for a host or domain the proxy is not used
// for. The text stays between uses, so a slip can be corrected.

#include <QDialog>
#include <QString>

class QLineEdit;
class QPushButton;

class TEnterURLForm : public QDialog {
 public:
  static constexpr int kEditWidth = 368;

  explicit TEnterURLForm(QWidget* parent);

  // Shows the dialog modally; true with the text when closed with OK.
  bool ask(QString& text);

  QLineEdit* AddUrlEdit;
  QPushButton* BitBtn1;
  QPushButton* BitBtn2;

 protected:
  void showEvent(QShowEvent* event) override;
};
