// Every page of the options dialog can be used from the keyboard: each input
// control is named by a caption with an access key (its own or a buddy
// label's), and no access key of a page repeats one of the page or of the
// dialog's buttons, where Alt+key would only move between them.
#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>
#include <QTreeWidget>
#include <map>

#include "../app/MainWindowFixture.h"
#include "gui/options/FmOption.h"

namespace quillet {
namespace {

// The access key of a caption ("保存(&S)" -> 'S'), or 0.
QChar AccessKey(const QString& caption) {
  for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] == '&') {
      ++i;
      continue;
    }
    return caption[i + 1].toUpper();
  }
  return QChar();
}

// The caption naming `widget` from the keyboard: its own for a button, else
// a label's whose buddy it is (a combo box's line edit counts as the box).
QString Caption(const QWidget& widget, const QList<QLabel*>& labels) {
  if (const auto* button = qobject_cast<const QAbstractButton*>(&widget)) return button->text();
  for (const QLabel* label : labels)
    if (label->buddy() == &widget) return label->text();
  return {};
}

class OptionKeyboard : public test::TMainWindowFixture {};

TEST_F(OptionKeyboard, EveryControlHasAnAccessKeyAndNoneRepeatsOnAPage) {
  TFmMain window(BaseEnv());
  TFmOption dialog(window);
  std::map<QChar, QString> buttons;  // the dialog's own
  for (const char* name : {"OkButton", "ApplyButton", "CancelButton"})
    buttons[AccessKey(dialog.findChild<QAbstractButton*>(name)->text())] = name;

  for (int tag = opSave; tag <= opTitleAction; ++tag) {
    QWidget* page = dialog.Page(tag);
    ASSERT_NE(page, nullptr) << tag;
    const QString where = page->objectName();
    const QList<QLabel*> labels = page->findChildren<QLabel*>();
    std::map<QChar, QString> used = buttons;
    for (QWidget* widget : page->findChildren<QWidget*>()) {
      // Inputs the user moves to: not the page's own scroll bars, labels or
      // a combo box's inner edit.
      const bool input = qobject_cast<QAbstractButton*>(widget) || qobject_cast<QComboBox*>(widget) ||
                         qobject_cast<QAbstractSpinBox*>(widget) || qobject_cast<QTreeWidget*>(widget) ||
                         (qobject_cast<QLineEdit*>(widget) && !qobject_cast<QComboBox*>(widget->parentWidget()) &&
                          !qobject_cast<QAbstractSpinBox*>(widget->parentWidget())) ||
                         widget->inherits("quillet::TColorLabelSE") || widget->inherits("quillet::THotKeyOne");
      if (!input || widget->focusPolicy() == Qt::NoFocus) continue;
      const QString caption = Caption(*widget, labels);
      const QChar key = AccessKey(caption);
      EXPECT_FALSE(key.isNull()) << where.toStdString() << ": " << widget->objectName().toStdString() << " \""
                                 << caption.toStdString() << "\" has no access key";
      if (key.isNull()) continue;
      const auto [it, fresh] = used.emplace(key, caption);
      EXPECT_TRUE(fresh) << where.toStdString() << ": &" << QString(key).toStdString() << " of \""
                         << caption.toStdString() << "\" repeats \"" << it->second.toStdString() << "\"";
    }
  }
}

}  // namespace
}  // namespace quillet
