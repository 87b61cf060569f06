// The font dialog of the font command (表示 → フォント).
//
// It opens on the font the editor shows: a stored name such as "FixedSys"
// is not an installed family and would leave the dialog on its first entry,
// so the name is resolved through the font substitutions to the family that
// draws it (IPAGothic). Fixed-pitch families come first in its list, since
// the editor lays text out in half-width cells; proportional ones follow.
// GUI thread.
#pragma once

#include <QFontDialog>
#include <QString>
#include <memory>

namespace quillet {

// The dialog on `name` (a family or a substituted name) at `pointSize`.
std::unique_ptr<QFontDialog> MakeEditorFontDialog(const QString& name, int pointSize, QWidget* parent);

// The name to keep after the dialog: `current` when the chosen family is
// the one `current` maps to, so that "FixedSys" stays "FixedSys" in the
// settings (portable to Windows), else the chosen family.
QString EditorFontName(const QString& current, const QFont& chosen);

}  // namespace quillet
