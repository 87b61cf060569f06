// The picture editor dialog (see FmViewEditor.h).
#include "gui/viewer/FmViewEditor.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace quillet {

TFmViewEditor::TFmViewEditor(const QString& name, const QString& comment, int width, int height,
                             const QPixmap& preview, QWidget* parent)
    : QDialog(parent), m_name(new QLineEdit(name, this)), m_comment(new QLineEdit(comment, this)) {
  setObjectName("FmViewEditor");
  setWindowTitle(QStringLiteral("画像編集"));
  m_name->setObjectName("NameEdit");
  m_comment->setObjectName("CommentEdit");
  auto* image = new QLabel(this);
  image->setObjectName("PreviewImage");
  image->setAlignment(Qt::AlignCenter);
  image->setFrameShape(QFrame::StyledPanel);
  if (!preview.isNull()) image->setPixmap(preview);
  image->setMinimumSize(preview.width() + 8, preview.height() + 8);
  auto* size = new QLabel(QStringLiteral("%1 × %2").arg(width).arg(height), this);
  size->setObjectName("SizeLabel");

  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("ファイル名(&N)"), m_name);
  form->addRow(QStringLiteral("コメント(&C)"), m_comment);
  form->addRow(QStringLiteral("サイズ"), size);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* column = new QVBoxLayout(this);
  column->addWidget(image, 0, Qt::AlignHCenter);
  column->addLayout(form);
  column->addWidget(buttons);
  m_name->setFocus();
  // The name is selected up to its extension, which a rename keeps anyway.
  const qsizetype dot = name.lastIndexOf('.');
  m_name->setSelection(0, static_cast<int>(dot > 0 ? dot : name.size()));
  setMinimumWidth(320);
}

QString TFmViewEditor::Name() const { return m_name->text(); }
QString TFmViewEditor::Comment() const { return m_comment->text(); }

}  // namespace quillet
