#include "ui/UFileNameEdit.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QToolButton>

#include "ui/UUiDialogs.h"

TFileNameEdit::TFileNameEdit(QWidget* parent)
    : QWidget(parent), FEdit(new QLineEdit(this)), FBrowse(new QToolButton(this)) {
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(FEdit);
  layout->addWidget(FBrowse);
  FBrowse->setText("...");
  FBrowse->setAccessibleName("Browse");
  setFocusProxy(FEdit);
  connect(FBrowse, &QToolButton::clicked, this, &TFileNameEdit::Browse);
  connect(FEdit, &QLineEdit::textChanged, this, &TFileNameEdit::fileNameChanged);
}

std::string TFileNameEdit::FileName() const { return FEdit->text().toStdString(); }

void TFileNameEdit::SetFileName(const std::string& fileName) { FEdit->setText(QString::fromStdString(fileName)); }

void TFileNameEdit::SetTypingAllowed(bool allowed) { FEdit->setReadOnly(!allowed); }

void TFileNameEdit::SetAccessibleName(const QString& name) {
  setAccessibleName(name);
  FEdit->setAccessibleName(name);
  FBrowse->setAccessibleName("Browse " + name);
}

void TFileNameEdit::Browse() {
  std::string picked = UiPickSaveFile(DialogTitle, Filter, FileName());
  if (!picked.empty()) SetFileName(picked);
}
