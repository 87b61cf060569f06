// The editor's font dialog: where it opens and what it offers first.
#include "gui/app/EditorFontDialog.h"

#include <QFontDatabase>
#include <QListView>
#include <QStringListModel>
#include <gtest/gtest.h>

#include <algorithm>

#include "gui/app/Application.h"

using namespace quillet;

namespace {

// It opened on "Sans Serif" (no family is called "FixedSys"), and OK then
// gave the editor a proportional font.
TEST(EditorFontDialog, OpensOnTheMappedFontWithFixedPitchFamiliesFirst) {
  InstallFontSubstitutions();
  const auto dialog = MakeEditorFontDialog("FixedSys", 9, nullptr);
  EXPECT_EQ(dialog->currentFont().family(), "IPAGothic");
  EXPECT_EQ(dialog->currentFont().pointSize(), 9);

  QStringList families;
  for (QListView* view : dialog->findChildren<QListView*>())
    if (auto* model = qobject_cast<QStringListModel*>(view->model());
        model && model->stringList().contains("IPAGothic"))
      families = model->stringList();
  ASSERT_FALSE(families.isEmpty());
  const auto fixed = [](const QString& family) { return QFontDatabase::isFixedPitch(family); };
  EXPECT_TRUE(fixed(families.front()));
  EXPECT_TRUE(std::is_partitioned(families.begin(), families.end(), fixed));

  // Keeping the font keeps its stored name; another family replaces it.
  EXPECT_EQ(EditorFontName("FixedSys", dialog->currentFont()), "FixedSys");
  EXPECT_EQ(EditorFontName("FixedSys", QFont("IPAPGothic", 9)), "IPAPGothic");
}

}  // namespace
