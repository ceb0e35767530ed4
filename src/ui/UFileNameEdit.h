#pragma once

#include <QWidget>
#include <string>

class QLineEdit;
class QToolButton;

// A file name with a browse button. With typing off the name is only picked, so every
// name it holds went through the file dialog.
class TFileNameEdit : public QWidget {
  Q_OBJECT
 public:
  explicit TFileNameEdit(QWidget* parent = nullptr);

  std::string FileName() const;
  // Sets the name without asking anyone; fileNameChanged follows when it differs.
  void SetFileName(const std::string& fileName);
  void SetTypingAllowed(bool allowed);
  // The name a screen reader gives the edit and its browse button.
  void SetAccessibleName(const QString& name);

  std::string DialogTitle = "Select File";
  std::string Filter = "All Files (*)";

  QLineEdit* Edit() const { return FEdit; }
  QToolButton* BrowseButton() const { return FBrowse; }

 public slots:
  void Browse();

 signals:
  void fileNameChanged(const QString& fileName);

 private:
  QLineEdit* FEdit;
  QToolButton* FBrowse;
};
