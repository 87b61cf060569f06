// TFontLabel: a font entry of the options pages (see FontLabel.h).
#include "gui/options/FontLabel.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFontComboBox>
#include <QFormLayout>
#include <QSpinBox>

namespace quillet {

namespace {

// Qt's font dialog has no colour, and the calendar's fonts each have one: a
// face list, a size and a colour label in one small dialog.
bool AskFont(TFontChoice& choice, bool withColor, QWidget* parent) {
  QDialog dialog(parent);
  dialog.setWindowTitle("フォント");
  auto* form = new QFormLayout(&dialog);
  auto* family = new QFontComboBox(&dialog);
  family->setCurrentFont(QFont(choice.family));
  form->addRow("フォント名(&F)", family);
  auto* size = new QSpinBox(&dialog);
  size->setRange(1, 200);
  size->setValue(choice.size > 0 ? choice.size : 9);
  form->addRow("サイズ(&S)", size);
  TColorLabelSE* color = nullptr;
  if (withColor) {
    color = new TColorLabelSE(&dialog);
    color->SetFontColor(choice.color);
    form->addRow("色(&C)", color);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  form->addRow(buttons);
  if (dialog.exec() != QDialog::Accepted) return false;
  choice.family = family->currentFont().family();
  choice.size = size->value();
  if (color) choice.color = color->FontColor();
  return true;
}

}  // namespace

TFontLabel::TFontLabel(QWidget* parent, bool withColor, bool showFamily)
    : TColorLabelSE(parent), m_withColor(withColor), m_showFamily(showFamily), m_picker(AskFont) {
  SetShowColorDialog(false);
  SetCaptionFollowsColor(false);
  connect(this, &TColorLabelSE::Clicked, this, &TFontLabel::PickFont);
}

void TFontLabel::SetChoice(const TFontChoice& choice) {
  m_choice = choice;
  // The face is shown at the page's own size, so a large font keeps the
  // page compact; the size is said in words.
  QFont face = font();
  face.setFamily(choice.family);
  setFont(face);
  SetFontColor(choice.color);
  const QString size = QStringLiteral("Size: %1").arg(choice.size);
  setText(m_showFamily ? choice.family + QStringLiteral("  ") + size : size);
  setToolTip(choice.family + QStringLiteral(" ") + size);
}

void TFontLabel::SetFontPicker(TFontPicker picker) { m_picker = picker ? std::move(picker) : TFontPicker(AskFont); }

void TFontLabel::PickFont() {
  TFontChoice choice = m_choice;
  if (!m_picker(choice, m_withColor, this)) return;
  SetChoice(choice);
  emit FontChanged();
}

}  // namespace quillet
