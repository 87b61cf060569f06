// The image list page in the real main window, with BMP pictures (read
// without plug-ins): loading a day, adding and dropping, renaming with the
// extension kept, deleting the last picture, lines kept and dropped at a
// store, and quick day changes while a load runs.
#include <QAction>
#include <QMenu>
#include <QImage>
#include <QLineEdit>
#include <QMimeData>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

#include <filesystem>

#include "core/app/HIniFile.h"
#include "gui/app/Commands.h"
#include "gui/app/HStatusBar.h"
#include "gui/app/MainWindowFixture.h"
#include "gui/viewer/FmViewEditor.h"
#include "gui/viewer/UViewer.h"

using namespace quillet;

namespace {

class ViewerPageTest : public test::TMainWindowFixture {
protected:
  void ShowAtStart(const std::function<void(THIniFile&)>& more = {}) {
    Settings([&](THIniFile& ini) {
      ini.WriteBool("Viewer", "OnCreate", true);
      ini.WriteBool("Viewer", "AllowUndo", false);
      ini.WriteBool("Viewer", "DeleteAsk", false);
      if (more) more(ini);
    });
  }
  // A BMP picture of `width` × `height` at `relative` below the program folder.
  std::string Picture(const std::string& relative, int width, int height, QColor color = Qt::red) {
    const std::filesystem::path path = app + relative;
    std::filesystem::create_directories(path.parent_path());
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    EXPECT_TRUE(image.save(QString::fromStdString(path.string()), "BMP"));
    return path.string();
  }
  static TViewerObject& Loaded(TFmMain& window) {
    auto* page = window.Page<TViewerObject>();
    EXPECT_NE(page, nullptr);
    QCoreApplication::processEvents();  // the first load starts from the event loop
    page->FinishLoad();
    return *page;
  }
  static std::vector<std::string> Names(const TViewerObject& page) {
    std::vector<std::string> names;
    for (const TViewItem& item : page.Items()) names.push_back(item.Name);
    return names;
  }
  static QString Status(const TViewerObject& page) { return page.StatusBar().SimpleText(); }
};

TEST_F(ViewerPageTest, ADayWithoutImageDatShowsNothing) {
  ShowAtStart();
  TFmMain window(BaseEnv());
  TViewerObject& page = Loaded(window);
  EXPECT_EQ(page.Sheet()->objectName(), "ViewerSheet");
  EXPECT_TRUE(page.Items().empty());
  EXPECT_EQ(Status(page), "");
  EXPECT_TRUE(std::filesystem::exists(app + "Option/Cache.dat"));
  for (const char* command : {"ActViewerEdit", "ActViewerAppend", "ActViewerDelete", "ActViewerProperty"})
    EXPECT_TRUE(window.Action(command)->isEnabled()) << command;
  window.Action("ActViewerHide")->trigger();
  EXPECT_EQ(window.Page<TViewerObject>(), nullptr);
  EXPECT_FALSE(window.Action("ActViewerAppend")->isEnabled());
}

TEST_F(ViewerPageTest, LoadsTheListedPicturesAndStoresWhatItShowsAndKeeps) {
  Picture("2005/3/7/wide.bmp", 200, 100);
  Picture("2005/3/7/small.bmp", 50, 40);
  Write("2005/3/7/notes.txt", "not a picture");
  Write("2005/3/7/Image.dat", "gone.bmp|lost|\r\nwide.bmp|a comment|\r\nnotes.txt|kept|\r\nsmall.bmp||\r\n");
  ShowAtStart();
  TFmMain window(BaseEnv());
  TViewerObject& page = Loaded(window);
  ASSERT_EQ(Names(page), (std::vector<std::string>{"wide.bmp", "small.bmp"}));
  EXPECT_EQ(Status(page), "2個のオブジェクト");
  const TViewItem& wide = page.Items()[0];
  EXPECT_EQ(wide.Comment, "a comment");
  EXPECT_EQ(wide.Width, 200);
  EXPECT_EQ(wide.Height, 100);

  // The thumbnails in the cache: 96 × 48 and the small one unscaled.
  std::string bytes;
  ASSERT_TRUE(page.Cache().Read(wide.CacheOffset, bytes));
  QImage thumbnail = QImage::fromData(QByteArray::fromStdString(bytes), "BMP");
  EXPECT_EQ(thumbnail.size(), QSize(96, 48));
  EXPECT_EQ(thumbnail.pixelColor(10, 10), QColor(Qt::red));
  ASSERT_TRUE(page.Cache().Read(page.Items()[1].CacheOffset, bytes));
  EXPECT_EQ(QImage::fromData(QByteArray::fromStdString(bytes), "BMP").size(), QSize(50, 40));

  page.List().item(0)->setSelected(true);
  EXPECT_EQ(Status(page), " wide.bmp  200 × 100 (96%)");
  page.List().item(1)->setSelected(true);
  EXPECT_EQ(Status(page), "2個のオブジェクトを選択");

  // Unchanged, a save writes nothing; a change stores the list: the missing
  // file's line goes, the file no decoder reads keeps its line.
  ASSERT_TRUE(window.SaveEntry(false));
  EXPECT_EQ(Read(app + "2005/3/7/Image.dat"),
            "gone.bmp|lost|\r\nwide.bmp|a comment|\r\nnotes.txt|kept|\r\nsmall.bmp||\r\n");
  page.List().clearSelection();
  page.List().item(1)->setSelected(true);
  page.SetEditorRunner([](TFmViewEditor& editor) {
    editor.CommentEdit()->setText("new");
    return QDialog::Accepted;
  });
  page.EditItem();
  EXPECT_TRUE(window.EntryModified());
  ASSERT_TRUE(window.SaveEntry(false));
  EXPECT_EQ(Read(app + "2005/3/7/Image.dat"), "wide.bmp|a comment|\r\nsmall.bmp|new|\r\nnotes.txt|kept|\r\n");
  EXPECT_FALSE(page.Modified());
}

TEST_F(ViewerPageTest, AddingCopiesPicturesAndReplacesAFileOfTheSameName) {
  const std::string outside = Picture("outside/photo.bmp", 120, 90, Qt::blue);
  Write("outside/readme.txt", "text");
  ShowAtStart();
  TFmMain window(BaseEnv());
  TViewerObject& page = Loaded(window);
  page.SetFileChooser([&](const QString& filter) {
    EXPECT_TRUE(filter.contains("*.bmp"));
    return QStringList{QString::fromStdString(outside), QString::fromStdString(app + "outside/readme.txt")};
  });
  window.Action("ActViewerAppend")->trigger();
  ASSERT_EQ(Names(page), (std::vector<std::string>{"photo.bmp"}));
  EXPECT_EQ(Read(app + "2005/3/7/photo.bmp"), Read(outside));
  EXPECT_EQ(window.StatusBar().PanelText(1), "変更あり");
  EXPECT_TRUE(window.StatusBar().PanelText(0).startsWith(" 1/2個のファイルをコピーしました"));

  // The same name again replaces the file and the item, and keeps one line.
  Picture("outside/photo.bmp", 30, 30, Qt::green);
  page.AddPictures({QString::fromStdString(outside)});
  ASSERT_EQ(page.Items().size(), 1u);
  EXPECT_EQ(page.Items()[0].Width, 30);
  window.Action("ActSave")->trigger();
  EXPECT_EQ(Read(app + "2005/3/7/Image.dat"), "photo.bmp||\r\n");

  // A damaged picture is neither copied nor listed.
  Write("outside/broken.bmp", "BM not really");
  page.AddPictures({QString::fromStdString(app + "outside/broken.bmp")});
  EXPECT_EQ(page.Items().size(), 1u);
  EXPECT_FALSE(std::filesystem::exists(app + "2005/3/7/broken.bmp"));
}

TEST_F(ViewerPageTest, FilesDroppedOnThePageAreAdded) {
  const std::string outside = Picture("outside/drop.bmp", 20, 20);
  ShowAtStart();
  TFmMain window(BaseEnv());
  window.show();
  TViewerObject& page = Loaded(window);
  QMimeData mime;
  mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(outside))});
  const auto dropAt = [&](QPoint at) {
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &enter);
    QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &drop);
  };
  dropAt(QPoint(5, window.height() / 2));  // on the editor: ignored
  EXPECT_TRUE(page.Items().empty());
  ASSERT_TRUE(page.Sheet()->isVisible());
  dropAt(page.Sheet()->mapTo(&window, page.Sheet()->rect().center()));
  EXPECT_EQ(Names(page), (std::vector<std::string>{"drop.bmp"}));
}

TEST_F(ViewerPageTest, RenamingKeepsTheExtensionAndDeletingTheLastPictureRemovesTheFolder) {
  Picture("2005/3/7/a.bmp", 10, 10);
  Picture("2005/3/7/taken.bmp", 10, 10);
  Write("2005/3/7/Image.dat", "a.bmp|c|\r\n");
  ShowAtStart();
  TFmMain window(BaseEnv());
  TViewerObject& page = Loaded(window);
  page.List().item(0)->setSelected(true);
  const auto typeName = [&page](QString name) {
    page.SetEditorRunner([name](TFmViewEditor& editor) {
      editor.NameEdit()->setText(name);
      return QDialog::Accepted;
    });
    page.EditItem();
  };
  typeName("b.png");
  EXPECT_EQ(Names(page), (std::vector<std::string>{"b.bmp"}));
  EXPECT_TRUE(std::filesystem::exists(app + "2005/3/7/b.bmp"));
  EXPECT_EQ(window.StatusBar().PanelText(0), "拡張子を修正しました");
  // Another file of the name is never replaced.
  typeName("taken.bmp");
  EXPECT_EQ(Names(page), (std::vector<std::string>{"b.bmp"}));
  EXPECT_TRUE(std::filesystem::exists(app + "2005/3/7/b.bmp"));
  // The file gone behind the list's back.
  std::filesystem::remove(app + "2005/3/7/b.bmp");
  typeName("c.bmp");
  EXPECT_EQ(window.StatusBar().PanelText(0), "元のファイルを認識出来ませんでした");
  Picture("2005/3/7/b.bmp", 10, 10);

  std::filesystem::remove(app + "2005/3/7/taken.bmp");
  window.Action("ActViewerDelete")->trigger();
  EXPECT_TRUE(page.Items().empty());
  EXPECT_EQ(Status(page), " 1個のオブジェクトを削除しました");
  ASSERT_TRUE(window.SaveEntry(false));
  EXPECT_FALSE(std::filesystem::exists(app + "2005/3/7"));
  EXPECT_EQ(Status(page), "保存先フォルダを削除しました");
}

TEST_F(ViewerPageTest, QuickDayChangesNeverShowAnotherDaysPictures) {
  std::string lines;
  for (int i = 0; i < 40; ++i) {
    Picture("2005/3/7/p" + std::to_string(i) + ".bmp", 600, 400);
    lines += "p" + std::to_string(i) + ".bmp||\r\n";
  }
  Write("2005/3/7/Image.dat", lines);
  Picture("2005/3/8/next.bmp", 8, 8);
  Write("2005/3/8/Image.dat", "next.bmp||\r\n");
  ShowAtStart();
  TFmMain window(BaseEnv());
  auto* page = window.Page<TViewerObject>();
  ASSERT_NE(page, nullptr);
  for (int round = 0; round < 5; ++round) {
    QCoreApplication::processEvents();
    window.Action("ActNextOne")->trigger();
    QCoreApplication::processEvents();
    window.Action("ActPrevOne")->trigger();
  }
  window.Action("ActNextOne")->trigger();
  for (int i = 0; i < 20; ++i) QCoreApplication::processEvents();
  page->FinishLoad();
  EXPECT_EQ(Names(*page), (std::vector<std::string>{"next.bmp"}));
}

#ifdef QUILLET_SPI_JPEG
TEST_F(ViewerPageTest, BundledPluginsLoadAtStartAndDecodeTheDaysPhotos) {
  QImage photo(640, 480, QImage::Format_RGB32);
  photo.fill(QColor(40, 120, 200));
  std::filesystem::create_directories(app + "2005/3/7");
  ASSERT_TRUE(photo.save(QString::fromStdString(app + "2005/3/7/photo.jpg"), "JPEG"));
  Write("2005/3/7/Image.dat", "photo.jpg|sea|\r\n");
  const std::string plugins = std::filesystem::path(QUILLET_SPI_JPEG).parent_path().string() + "/";
  ShowAtStart([&](THIniFile& ini) {
    ini.WriteBool("Viewer", "ShowInformation", true);
    for (const char* key : {"SusieAppPath", "SusieSystem", "SusieWindows"}) ini.WriteBool("Viewer", key, false);
    ini.WriteString("Viewer", "SusieCommandPath", plugins);
  });
  TFmMain window(BaseEnv());
  const std::vector<std::string> masks = window.ImageMaskList();
  for (const char* mask : {"*.bmp", "*.jpg", "*.jpeg", "*.png", "*.gif"})
    EXPECT_NE(std::find(masks.begin(), masks.end(), mask), masks.end()) << mask;
  QAction* information = window.Commands().MenuItem("MenuPluginInformation");
  EXPECT_TRUE(information->isVisible());
  EXPECT_EQ(information->menu()->actions().size(), 3);

  TViewerObject& page = Loaded(window);
  ASSERT_EQ(Names(page), (std::vector<std::string>{"photo.jpg"}));
  EXPECT_EQ(page.Items()[0].Width, 640);
  std::string bytes;
  ASSERT_TRUE(page.Cache().Read(page.Items()[0].CacheOffset, bytes));
  const QImage thumbnail = QImage::fromData(QByteArray::fromStdString(bytes), "BMP");
  EXPECT_EQ(thumbnail.size(), QSize(96, 72));
  const QColor middle = thumbnail.pixelColor(48, 36);
  EXPECT_NEAR(middle.blue(), 200, 4);
  EXPECT_NEAR(middle.red(), 40, 4);
}
#endif

TEST_F(ViewerPageTest, DeletedPicturesGoToTheTrashAndFailuresKeepTheList) {
  const QByteArray oldDataHome = qgetenv("XDG_DATA_HOME");
  qputenv("XDG_DATA_HOME", QByteArray::fromStdString(app + "data"));
  Picture("2005/3/7/a.bmp", 10, 10);
  Write("2005/3/7/Image.dat", "a.bmp||\r\n");
  ShowAtStart([](THIniFile& ini) { ini.WriteBool("Viewer", "AllowUndo", true); });
  {
    TFmMain window(BaseEnv());
    TViewerObject& page = Loaded(window);
    page.List().item(0)->setSelected(true);
    window.Action("ActViewerDelete")->trigger();
    EXPECT_TRUE(page.Items().empty());
    EXPECT_FALSE(std::filesystem::exists(app + "2005/3/7/a.bmp"));
    EXPECT_TRUE(std::filesystem::exists(app + "data/Trash/files/a.bmp"));

    // An Image.dat that cannot be read is never replaced: the store is
    // refused and the change stays pending.
    std::filesystem::remove(app + "2005/3/7/Image.dat");
    std::filesystem::create_directory(app + "2005/3/7/Image.dat");
    page.AddPictures({QString::fromStdString(Picture("outside/b.bmp", 5, 5))});
    window.SaveEntry(false);
    EXPECT_TRUE(std::filesystem::is_directory(app + "2005/3/7/Image.dat"));
    EXPECT_TRUE(page.Modified());
    EXPECT_TRUE(Status(page).startsWith("Image.dat: "));
    std::filesystem::remove(app + "2005/3/7/Image.dat");
    window.SaveEntry(false);
    EXPECT_EQ(Read(app + "2005/3/7/Image.dat"), "b.bmp||\r\n");

    // A day whose folder cannot be made (a file stands where its month
    // folder goes) takes no picture.
    Write("2005/4", "a file");
    ASSERT_TRUE(window.ChangeDay(MakeDate(2005, 4, 1)));
    page.AddPictures({QString::fromStdString(app + "outside/b.bmp")});
    EXPECT_TRUE(page.Items().empty());
    EXPECT_EQ(window.StatusBar().PanelText(0), "保存先確保に失敗しました");
  }
  qputenv("XDG_DATA_HOME", oldDataHome);
}

}  // namespace
