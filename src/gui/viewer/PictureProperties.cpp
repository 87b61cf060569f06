// The picture properties dialog (see PictureProperties.h).
#include "gui/viewer/PictureProperties.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <memory>

#include "gui/viewer/ViewThread.h"

namespace quillet {

namespace {

QString Permissions(QFileDevice::Permissions p) {
  const std::pair<QFileDevice::Permission, char> bits[] = {
      {QFileDevice::ReadOwner, 'r'}, {QFileDevice::WriteOwner, 'w'}, {QFileDevice::ExeOwner, 'x'},
      {QFileDevice::ReadGroup, 'r'}, {QFileDevice::WriteGroup, 'w'}, {QFileDevice::ExeGroup, 'x'},
      {QFileDevice::ReadOther, 'r'}, {QFileDevice::WriteOther, 'w'}, {QFileDevice::ExeOther, 'x'}};
  QString text;
  for (const auto& [bit, letter] : bits) text += (p & bit) ? QChar(letter) : QChar('-');
  return text;
}

QString Stamp(const QDateTime& time) {
  return time.isValid() ? time.toLocalTime().toString(QStringLiteral("yyyy/MM/dd H:mm:ss")) : QString();
}

}  // namespace

QDialog* MakePicturePropertiesDialog(const TViewItem& item, QWidget* parent) {
  const QFileInfo file(QString::fromStdString(item.Path));
  auto* dialog = new QDialog(parent);
  dialog->setObjectName("PicturePropertiesDialog");
  dialog->setWindowTitle(file.fileName() + QStringLiteral("のプロパティ"));
  auto* form = new QFormLayout(dialog);
  const auto row = [&](const QString& caption, const QString& value, const char* name) {
    auto* label = new QLabel(value, dialog);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    form->addRow(caption, label);
  };
  row(QStringLiteral("名前:"), file.fileName(), "NameValue");
  row(QStringLiteral("場所:"), file.absolutePath(), "FolderValue");
  row(QStringLiteral("サイズ:"),
      QLocale(QLocale::Japanese).toString(file.size()) + QStringLiteral(" バイト"), "SizeValue");
  row(QStringLiteral("画像:"), QStringLiteral("%1 × %2").arg(item.Width).arg(item.Height), "PictureValue");
  row(QStringLiteral("更新日時:"), Stamp(file.lastModified()), "ModifiedValue");
  row(QStringLiteral("アクセス日時:"), Stamp(file.lastRead()), "ReadValue");
  row(QStringLiteral("属性:"), Permissions(file.permissions()), "PermissionValue");
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  form->addRow(buttons);
  return dialog;
}

void ShowPicturePropertiesDialog(const TViewItem& item, QWidget* parent) {
  std::unique_ptr<QDialog> dialog(MakePicturePropertiesDialog(item, parent));
  dialog->exec();
}

}  // namespace quillet
