// The small boxes of the main window: message boxes, the yes/no question and
// the one-line input box (the start-up password, the date to open).
//
// Qt sizes such a box to its contents only, and the window manager cuts a
// caption wider than its window ("パスワー… uillet"). So each box is made at
// least as wide as its caption as the title bar shows it: the caption with
// " — " and the application's display name appended (as Qt's X11 window
// title does), in a bold title font, plus room for the title bar's icon and
// buttons.
// GUI thread.
#pragma once

#include <QString>
#include <memory>
#include <optional>

class QDialog;
class QInputDialog;
class QMessageBox;
class QWidget;

namespace quillet {

// Width in pixels that a window needs to show `caption` uncut.
int CaptionWidth(const QString& caption);
// Widens `dialog` (before it is shown) to CaptionWidth of its caption.
void FitToCaption(QDialog& dialog);

// The boxes, fitted to their captions; `parent` may be null.
std::unique_ptr<QInputDialog> MakeInputBox(QWidget* parent, const QString& caption, const QString& prompt,
                                           const QString& text, bool password);
std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* parent, const QString& caption, const QString& text,
                                            bool yesNo);

// Modal uses: the typed text (nothing when cancelled); a message; a yes/no
// question (true for yes).
std::optional<QString> AskText(QWidget* parent, const QString& caption, const QString& prompt, const QString& text,
                               bool password);
void ShowMessage(QWidget* parent, const QString& caption, const QString& text);
bool AskYesNo(QWidget* parent, const QString& caption, const QString& text);

}  // namespace quillet
