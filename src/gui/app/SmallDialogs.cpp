// Small boxes sized to their captions; see SmallDialogs.h.
#include "gui/app/SmallDialogs.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QSpacerItem>
#include <algorithm>

namespace quillet {

int CaptionWidth(const QString& caption) {
  QString shown = caption;
  const QString name = QGuiApplication::applicationDisplayName();
  if (!name.isEmpty() && !caption.endsWith(name)) shown += QStringLiteral(" \u2014 ") + name;
  QFont font = QApplication::font();
  font.setBold(true);
  const QFontMetrics metrics(font);
  // The icon and three buttons of a title bar take about four of its heights.
  return metrics.horizontalAdvance(shown) + 4 * (metrics.height() + 12);
}

void FitToCaption(QDialog& dialog) {
  const int width = CaptionWidth(dialog.windowTitle());
  // A message box fixes its size from its layout when shown, so the width
  // goes into the layout; other boxes take a minimum width.
  if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()); grid && qobject_cast<QMessageBox*>(&dialog)) {
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum), grid->rowCount(), 0, 1,
                  grid->columnCount());
  } else {
    dialog.setMinimumWidth(std::max(dialog.minimumWidth(), width));
  }
}

std::unique_ptr<QInputDialog> MakeInputBox(QWidget* parent, const QString& caption, const QString& prompt,
                                           const QString& text, bool password) {
  auto box = std::make_unique<QInputDialog>(parent);
  box->setWindowTitle(caption);
  box->setLabelText(prompt);
  box->setTextValue(text);
  box->setTextEchoMode(password ? QLineEdit::Password : QLineEdit::Normal);
  FitToCaption(*box);
  return box;
}

std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* parent, const QString& caption, const QString& text,
                                            bool yesNo) {
  auto box = std::make_unique<QMessageBox>(QMessageBox::Information, caption, text,
                                           yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, parent);
  FitToCaption(*box);
  return box;
}

std::optional<QString> AskText(QWidget* parent, const QString& caption, const QString& prompt, const QString& text,
                               bool password) {
  const auto box = MakeInputBox(parent, caption, prompt, text, password);
  if (box->exec() != QDialog::Accepted) return std::nullopt;
  return box->textValue();
}

void ShowMessage(QWidget* parent, const QString& caption, const QString& text) {
  MakeMessageBox(parent, caption, text, false)->exec();
}

bool AskYesNo(QWidget* parent, const QString& caption, const QString& text) {
  return MakeMessageBox(parent, caption, text, true)->exec() == QMessageBox::Yes;
}

}  // namespace quillet
