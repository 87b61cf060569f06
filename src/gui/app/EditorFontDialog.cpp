// The editor's font dialog; see EditorFontDialog.h.
#include "gui/app/EditorFontDialog.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QListView>
#include <QStringListModel>
#include <algorithm>

namespace quillet {

namespace {

QString ResolvedFamily(const QString& name, int pointSize) {
  return QFontInfo(QFont(name, pointSize)).family();
}

// Qt's dialog has no order of its own to set: its family list is a plain
// string list, re-ordered here. Where the list is not found (another
// dialog implementation), the order stays alphabetical.
void ListFixedPitchFirst(QFontDialog& dialog, const QString& family) {
  for (QListView* view : dialog.findChildren<QListView*>()) {
    auto* model = qobject_cast<QStringListModel*>(view->model());
    if (!model || !model->stringList().contains(family)) continue;
    QStringList families = model->stringList();
    std::stable_partition(families.begin(), families.end(),
                          [](const QString& name) { return QFontDatabase::isFixedPitch(name); });
    model->setStringList(families);
    // Selecting the family again also refills the style and size lists.
    view->setCurrentIndex(model->index(static_cast<int>(families.indexOf(family))));
    return;
  }
}

}  // namespace

std::unique_ptr<QFontDialog> MakeEditorFontDialog(const QString& name, int pointSize, QWidget* parent) {
  const int size = pointSize > 0 ? pointSize : 9;
  const QFont start(ResolvedFamily(name, size), size);
  auto dialog = std::make_unique<QFontDialog>(parent);
  dialog->setOption(QFontDialog::DontUseNativeDialog);
  dialog->setCurrentFont(start);
  ListFixedPitchFirst(*dialog, start.family());
  return dialog;
}

QString EditorFontName(const QString& current, const QFont& chosen) {
  const QString family = chosen.family();
  return family == ResolvedFamily(current, chosen.pointSize() > 0 ? chosen.pointSize() : 9) ? current : family;
}

}  // namespace quillet
