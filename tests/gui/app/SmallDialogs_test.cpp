// The small boxes are as wide as their captions as the title bar shows them.
#include "gui/app/SmallDialogs.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <gtest/gtest.h>

using namespace quillet;

namespace {

// The window manager cut "パスワード照合 — Quillet" to "パスワー… uillet".
TEST(SmallDialogs, BoxesAreAsWideAsTheirCaptionsAndTitleBarButtons) {
  const QString savedName = QGuiApplication::applicationDisplayName();
  QGuiApplication::setApplicationDisplayName("Quillet");
  QFont bold = QApplication::font();
  bold.setBold(true);
  const QFontMetrics metrics(bold);
  const auto check = [&](QDialog& box) {
    box.show();
    QApplication::processEvents();
    const QString shown = box.windowTitle() + QStringLiteral(" \u2014 Quillet");
    EXPECT_GE(box.width(), metrics.horizontalAdvance(shown) + 3 * metrics.height()) << shown.toStdString();
    box.close();
  };
  check(*MakeInputBox(nullptr, "パスワード照合", "パスワードを入力して下さい", QString(), true));
  check(*MakeMessageBox(nullptr, "バージョン情報", "Quillet\nVersion 1.2.0.4", false));
  QGuiApplication::setApplicationDisplayName(savedName);
}

}  // namespace
