// Keyboard reach of an options page: every control a user can focus has an
// access key, in its own caption or in a buddy label's, and no key is used
// twice on the page or by the dialog's buttons (OK, apply, cancel).
#pragma once

#include <QAbstractButton>
#include <QLabel>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <set>

namespace quillet::test {

inline QChar AccessKeyOf(const QString& caption) {
  const QRegularExpressionMatch m = QRegularExpression("&([^&])").match(caption);
  return m.hasMatch() ? m.captured(1).at(0).toUpper() : QChar();
}

inline void ExpectEveryControlHasItsOwnAccessKey(QWidget* page) {
  std::set<QChar> used{'O', 'A', 'C'};
  std::set<QWidget*> captioned;
  const auto take = [&](const QString& caption, QWidget* control) {
    const QChar key = AccessKeyOf(caption);
    EXPECT_FALSE(key.isNull()) << caption.toStdString();
    EXPECT_TRUE(used.insert(key).second) << "access key used twice: " << caption.toStdString();
    captioned.insert(control);
  };
  for (QLabel* label : page->findChildren<QLabel*>())
    if (label->buddy()) take(label->text(), label->buddy());
  // Parts of a view (a table's corner button) are the view's, not controls.
  const auto inView = [page](QWidget* w) {
    for (w = w->parentWidget(); w && w != page; w = w->parentWidget())
      if (w->inherits("QAbstractScrollArea")) return true;
    return false;
  };
  for (QAbstractButton* button : page->findChildren<QAbstractButton*>())
    if (!inView(button)) take(button->text(), button);
  for (QWidget* control : page->findChildren<QWidget*>()) {
    // A spin box's or combo box's inner edit is part of its box.
    const QWidget* owner = control->parentWidget();
    if (owner && (owner->inherits("QAbstractSpinBox") || owner->inherits("QComboBox"))) continue;
    const bool tabStop = (control->focusPolicy() & Qt::TabFocus) && control->isEnabledTo(page);
    if (tabStop && !control->inherits("QAbstractScrollArea")) {
      EXPECT_TRUE(captioned.count(control)) << control->objectName().toStdString() << " has no access key";
    }
  }
}

}  // namespace quillet::test
