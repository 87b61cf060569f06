// The plug-in loader against real shared libraries built from
// tests/plugins/testspi.c (one folder per set, see tests/plugins), the
// example plug-in of docs/plugins.md, and quillet-cli's listing.
//
// The test format of those plug-ins: "QTST", width, height (one byte each),
// then red, green, blue per pixel, the top row first.
#include "core/viewer/SPI.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "core/app/TempFolder.h"
#include "core/app/HIniFile.h"
#include "core/viewer/Picture.h"

namespace quillet {
namespace {

std::string SpiFolder(const std::string& set) { return std::string(QUILLET_TEST_SPI_DIR) + "/" + set + "/"; }

// A test-format picture of `w` × `h` with random pixels, and the TDib it
// decodes to.
std::string TestPicture(int w, int h, TDib* dib = nullptr, unsigned seed = 1) {
  std::mt19937 rng(seed);
  std::string file = "QTST";
  file += static_cast<char>(w);
  file += static_cast<char>(h);
  if (dib) *dib = TDib{w, h, {}};
  for (int i = 0; i < w * h; ++i) {
    const auto r = static_cast<std::uint8_t>(rng()), g = static_cast<std::uint8_t>(rng()),
               b = static_cast<std::uint8_t>(rng());
    file += {static_cast<char>(r), static_cast<char>(g), static_cast<char>(b)};
    if (dib) dib->Bits.insert(dib->Bits.end(), {b, g, r});
  }
  return file;
}

std::string InvalidApiMessage(const std::string& entry, const std::string& file) {
  return entry + "は[" + file + "]では使えないSusie Plugin APIです";
}

TEST(SPIs, MixedFolderLoadsImportAndArchiveButNotTheLibraryWithoutGetPicture) {
  TSPIs spis(TSPIFolders{});
  std::vector<std::string> extensions, skipped;
  spis.OnExtension = [&](const TSPIExtension& e) { extensions.push_back(e.Extension + "|" + e.TypeName); };
  spis.OnLoadError = [&](const std::string& path, const std::string& reason) { skipped.push_back(path + "|" + reason); };
  const std::string mixed = SpiFolder("mixed");

  EXPECT_EQ(spis.LoadFromPath(mixed + "*.spi"), 2);
  ASSERT_EQ(spis.Count(), 2);
  EXPECT_EQ(spis.Items(0).FileName(), mixed + "archive.spi");  // byte order of the names
  EXPECT_EQ(spis.Items(0).Kind(), TSPIKind::Am);
  EXPECT_EQ(spis.Items(1).Kind(), TSPIKind::In);
  EXPECT_EQ(spis.Items(1).APIVersion(), "00IN");
  EXPECT_EQ(spis.Items(1).Description(), "Quillet test pictures");
  EXPECT_EQ(extensions, std::vector<std::string>{"qtst|Quillet test picture"});  // the archive registers nothing
  EXPECT_EQ(spis.ImageMasks(), std::vector<std::string>{"*.qtst"});
  EXPECT_EQ(skipped, std::vector<std::string>{mixed + "nopicture.spi|" +
                                              InvalidApiMessage("GetPicture", mixed + "nopicture.spi")});

  EXPECT_EQ(spis.IndexOf(mixed + "IMPORT.SPI"), 1);  // without regard to case
  EXPECT_EQ(spis.IndexOf(mixed + "nopicture.spi"), -1);

  // The same folder again loads nothing new.
  EXPECT_EQ(spis.LoadFromPath(mixed + "*.spi"), 0);
  EXPECT_EQ(spis.Count(), 2);
  EXPECT_EQ(extensions.size(), 1u);

  spis.Delete(1);
  EXPECT_TRUE(spis.Extensions().empty());
  EXPECT_EQ(spis.Count(), 1);
  spis.Clear();
  EXPECT_EQ(spis.Count(), 0);
}

TEST(SPIs, BeforeAndAfterLoadEventsMayRefuse) {
  TSPIs spis(TSPIFolders{});
  spis.OnBeforeLoad = [](const std::string& path) { return path.find("archive") == std::string::npos; };
  spis.OnSearch = [](const TSPI& spi) { return spi.Kind() != TSPIKind::In; };
  EXPECT_EQ(spis.LoadFromPath(SpiFolder("mixed") + "*.spi"), 0);
  EXPECT_TRUE(spis.Extensions().empty());
}

TEST(SPIs, TwoMasksInOneTextRegisterBoth) {
  TSPIs spis(TSPIFolders{});
  ASSERT_EQ(spis.LoadFromPath(SpiFolder("jpeg") + "*.SPI"), 1);  // the mask ignores case, as on Windows
  EXPECT_EQ(spis.Items(0).Masks(), std::vector<std::string>{"*.jpg;*.jpeg"});
  EXPECT_EQ(spis.ImageMasks(), (std::vector<std::string>{"*.jpg", "*.jpeg"}));
  ASSERT_EQ(spis.Extensions().size(), 2u);
  EXPECT_EQ(spis.Extensions()[0].Extension, "jpg");
  EXPECT_EQ(spis.Extensions()[1].Extension, "jpeg");
  EXPECT_EQ(spis.Extensions()[1].TypeName, "JPEG test picture");
}

TEST(SPIs, StartupFoldersInOrderAndOnlyTheCommandFolderWhenTheOthersAreOff) {
  TSPIFolders folders;
  folders.AppDir = SpiFolder("jpeg");
  folders.SystemDir = SpiFolder("progress");
  folders.WindowsDir = SpiFolder("mixed");
  TSPIStartSettings settings;
  settings.CommandPath = SpiFolder("counting");
  {
    TSPIs spis(folders);
    EXPECT_EQ(LoadStartupPlugins(spis, settings), 5);
    std::vector<std::string> names;
    for (int i = 0; i < spis.Count(); ++i) names.push_back(spis.Items(i).BaseName());
    EXPECT_EQ(names, (std::vector<std::string>{"twomasks.spi", "progress.spi", "archive.spi", "import.spi", "counting.spi"}));
  }
  settings.AppPath = settings.System = settings.Windows = false;
  TSPIs spis(folders);
  EXPECT_EQ(LoadStartupPlugins(spis, settings), 1);
  EXPECT_EQ(spis.Items(0).FileName(), SpiFolder("counting") + "counting.spi");
}

TEST(SPIs, StartupSettingsFromTheSettingsFile) {
  test::TTempFolder app;
  test::WriteRaw(app / "quillet.ini", "[Viewer]\r\nSusieAppPath=0\r\nSusieWindows=0\r\nSusieCommandPath=/opt/spi\r\n");
  TSPIStartSettings read = ReadSPIStartSettings(THIniFile(app / "quillet.ini", false), app.Path());
  EXPECT_FALSE(read.AppPath);
  EXPECT_TRUE(read.System);
  EXPECT_FALSE(read.Windows);
  EXPECT_TRUE(read.Command);
  EXPECT_EQ(read.CommandPath, "/opt/spi/");
  read = ReadSPIStartSettings(THIniFile(app / "none.ini", false), app.Path());
  EXPECT_EQ(read.CommandPath, app.Path() + "Plugin/");
}

TEST(SPIs, OnlyOneManagerAtATime) {
  {
    TSPIs first(TSPIFolders{});
    try {
      TSPIs second(TSPIFolders{});
      FAIL() << "a second manager was created";
    } catch (const ESPIDupCreateSPIs& error) {
      EXPECT_STREQ(error.what(), "TSPIs は複数生成できません");
    }
  }
  EXPECT_NO_THROW(TSPIs again(TSPIFolders{}));
}

TEST(SPIs, MissingEntryPointsAndUnloadableLibraries) {
  const std::string mixed = SpiFolder("mixed");
  try {
    TSPI::Create(mixed + "nopicture.spi");
    FAIL() << "loaded without GetPicture";
  } catch (const ESPIInvalidAPI& error) {
    EXPECT_EQ(error.what(), InvalidApiMessage("GetPicture", mixed + "nopicture.spi"));
  }
  const auto archive = TSPI::Create(mixed + "archive.spi");
  void* info = nullptr;
  void* bits = nullptr;
  try {
    archive->GetPicture("x", 0, 0, &info, &bits, nullptr, 0);
    FAIL() << "an archive plug-in was asked to decode";
  } catch (const ESPIInvalidAPI& error) {
    EXPECT_EQ(error.what(), InvalidApiMessage("GetPicture", mixed + "archive.spi"));
  }
  EXPECT_THROW(TSPI::Create(mixed + "import.spi")->ConfigurationDlg(0, 0), ESPIInvalidAPI);

  test::TTempFolder folder;
  test::WriteRaw(folder / "text.spi", "not a library");
  for (const std::string& path : {folder / "text.spi", folder / "missing.spi"}) {
    try {
      TSPI::Create(path);
      FAIL() << path;
    } catch (const ESPIFOpenErrorSPI& error) {
      EXPECT_EQ(error.what(), path + ":Susie Pluginがロードできませんでした");
      EXPECT_FALSE(error.Reason().empty());
    }
  }
  // Neither stops a search.
  test::WriteRaw(folder / ".hidden.spi", "");
  TSPIs spis(TSPIFolders{});
  int skipped = 0;
  spis.OnLoadError = [&](const std::string&, const std::string&) { ++skipped; };
  EXPECT_EQ(spis.LoadFromPath(folder / "*.spi"), 0);
  EXPECT_EQ(skipped, 1);  // the hidden file is not even tried
}

class SPIDecode : public ::testing::Test {
protected:
  test::TTempFolder m_folder;
};

TEST_F(SPIDecode, FileAndMemoryWithTheProgressTexts) {
  TSPIs spis(TSPIFolders{});
  spis.LoadFromPath(SpiFolder("mixed") + "*.spi");
  std::vector<std::string> log;
  spis.OnProgress = [&](TSPIProgressStage stage, int percent, const std::string& text) {
    log.push_back(std::to_string(static_cast<int>(stage)) + " " + std::to_string(percent) + " " + text);
    return true;
  };
  TDib want;
  const std::string bytes = TestPicture(5, 3, &want);
  test::WriteRaw(m_folder / "a.qtst", bytes);

  const TDib fromFile = spis.LoadFromFile(m_folder / "a.qtst");
  EXPECT_EQ(fromFile.Width, 5);
  EXPECT_EQ(fromFile.Bits, want.Bits);
  EXPECT_EQ(log, (std::vector<std::string>{"0 0 Loading Graphic by Susie Plugin", "1 1 Seeking enabled Susie Plugins",
                                           "1 2 Loading by [import.spi]", "2 100 Loaded Graphic by Susie Plugin"}));
  EXPECT_EQ(spis.LoadFromMemory(bytes, "a.qtst").Bits, want.Bits);

  // No plug-in knows the data: the fixed message, and no reason.
  test::WriteRaw(m_folder / "b.qtst", "XXXX");
  try {
    spis.LoadFromFile(m_folder / "b.qtst");
    FAIL();
  } catch (const EInvalidGraphic& error) {
    EXPECT_STREQ(error.what(), "Susie Plugins could not decode");
    EXPECT_EQ(error.Reason(), "");
  }
  EXPECT_THROW(spis.LoadFromMemory("", "empty"), EInvalidGraphic);
  try {
    spis.LoadFromFile(m_folder / "missing.qtst");
    FAIL();
  } catch (const EInvalidGraphic& error) {
    EXPECT_NE(error.Reason().find("No such file"), std::string::npos) << error.Reason();
  }
}

TEST_F(SPIDecode, ProgressRunsFromTwoTo99AndAStopIsHonoured) {
  TSPIs spis(TSPIFolders{});
  spis.LoadFromPath(SpiFolder("progress") + "*.spi");
  test::WriteRaw(m_folder / "a.qtst", TestPicture(1, 4));
  std::vector<int> running;
  const auto record = [&](TSPIProgressStage stage, int percent, const std::string& text) {
    if (stage == TSPIProgressStage::Running && text == "Loading by [progress.spi]") running.push_back(percent);
    return true;
  };
  EXPECT_EQ(spis.LoadFromFile(m_folder / "a.qtst", record).Height, 4);
  // The plug-in reports 0..4 of 4: MulDiv(done, 97, 4) + 2, rounded.
  EXPECT_EQ(running, (std::vector<int>{2, 2, 26, 51, 75, 99}));  // the first 2 is "Loading by" itself

  int calls = 0;
  const auto stop = [&](TSPIProgressStage, int percent, const std::string&) { return ++calls, percent < 26; };
  EXPECT_THROW(spis.LoadFromFile(m_folder / "a.qtst", stop), ESPIAborted);
  EXPECT_EQ(calls, 5);  // three before the plug-in, then 2 and 26: the plug-in stopped at once

  // An exception of the progress function comes out after the plug-in has returned.
  const auto boom = [](TSPIProgressStage, int percent, const std::string&) {
    if (percent == 51) throw std::runtime_error("boom");
    return true;
  };
  EXPECT_THROW(spis.LoadFromFile(m_folder / "a.qtst", boom), std::runtime_error);
}

TEST_F(SPIDecode, TooShortPixelBlockIsRefusedAndReleased) {
  TSPIs spis(TSPIFolders{});
  spis.LoadFromPath(SpiFolder("short") + "*.spi");
  // 120 bytes a row, 240 of 360 given: more than malloc's rounding of a
  // block (a few bytes, which malloc_usable_size counts) can hide.
  test::WriteRaw(m_folder / "a.qtst", TestPicture(40, 3));
  try {
    spis.LoadFromFile(m_folder / "a.qtst");
    FAIL();
  } catch (const EInvalidGraphic& error) {
    EXPECT_NE(error.Reason().find("[short.spi] returned a picture that cannot be used: the pixel block holds "),
              std::string::npos)
        << error.Reason();
    EXPECT_NE(error.Reason().find("bytes; the header needs 360"), std::string::npos) << error.Reason();
  }
  // A good plug-in after the broken one still decodes.
  spis.LoadFromPath(SpiFolder("mixed") + "*.spi");
  EXPECT_EQ(spis.LoadFromFile(m_folder / "a.qtst").Width, 40);
}

TEST_F(SPIDecode, ThumbnailUsesThePreviewOnlyWhenItIsLargeEnough) {
  TSPIs spis(TSPIFolders{});
  spis.LoadFromPath(SpiFolder("mixed") + "*.spi");
  test::WriteRaw(m_folder / "a.qtst", TestPicture(8, 4));  // the plug-in's preview is 4 × 2
  struct TCase {
    int size;
    bool fromPreview;
    int width;
  } cases[] = {{2, true, 2}, {4, true, 4}, {6, false, 6}, {96, false, 8}};  // width: the thumbnail's
  for (const TCase& c : cases) {
    const TSPIThumbnail thumb = spis.LoadThumbnailFromFile(m_folder / "a.qtst", c.size);
    EXPECT_EQ(thumb.FromPreview, c.fromPreview) << c.size;
    EXPECT_EQ(thumb.Picture.Width, c.width) << c.size;
    EXPECT_EQ(thumb.FullWidth, 8) << c.size;
    EXPECT_EQ(thumb.FullHeight, 4) << c.size;
  }
  // The flag for ordinary decodes takes the preview as it comes.
  spis.GraphicPreview = true;
  EXPECT_EQ(spis.LoadFromFile(m_folder / "a.qtst").Width, 4);
}

TEST_F(SPIDecode, BmpFilesNeverReachAPlugin) {
  TSPIs spis(TSPIFolders{});
  ASSERT_EQ(spis.LoadFromPath(SpiFolder("counting") + "*.spi"), 1);
  void* handle = ::dlopen(spis.Items(0).FileName().c_str(), RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(handle, nullptr);
  const auto calls = reinterpret_cast<std::int32_t (*)()>(::dlsym(handle, "TestSupportedCalls"));
  ASSERT_NE(calls, nullptr);

  TDib dib{2, 1, {1, 2, 3, 4, 5, 6}};
  test::WriteRaw(m_folder / "a.BMP", EncodeBmpFile(dib));
  test::WriteRaw(m_folder / "b.qtst", TestPicture(2, 2));
  EXPECT_EQ(LoadPicture(m_folder / "a.BMP", &spis).Bits, dib.Bits);
  EXPECT_EQ(LoadPictureForThumbnail(m_folder / "a.BMP", 96, &spis).FullWidth, 2);
  EXPECT_EQ(calls(), 0);
  try {
    LoadPicture(m_folder / "b.qtst", &spis);
    FAIL();
  } catch (const EInvalidGraphic& error) {
    EXPECT_EQ(error.Reason(), (m_folder / "b.qtst") + ": no image plug-in knows this file");
  }
  EXPECT_EQ(calls(), 1);
  ::dlclose(handle);

  // A broken BMP names the file and the fault.
  test::WriteRaw(m_folder / "c.bmp", "BMxx");
  try {
    LoadPicture(m_folder / "c.bmp", &spis);
    FAIL();
  } catch (const EPictureError& error) {
    EXPECT_EQ(std::string(error.what()), (m_folder / "c.bmp") + ": not a BMP file");
  }
  EXPECT_THROW(LoadPicture(m_folder / "b.qtst", nullptr), EInvalidGraphic);
}

// The example of docs/plugins.md: the page holds the source as it is, and
// it decodes what ImageMagick writes.
TEST_F(SPIDecode, DocumentedExamplePlugin) {
  const std::string source = test::ReadRaw(std::string(QUILLET_DOCS_DIR) + "/examples/tinyfmt.c");
  const std::string page = test::ReadRaw(std::string(QUILLET_DOCS_DIR) + "/plugins.md");
  ASSERT_FALSE(source.empty());
  EXPECT_NE(page.find("```c\n" + source + "```\n"), std::string::npos) << "docs/plugins.md differs from tinyfmt.c";

  TSPIs spis(TSPIFolders{});
  ASSERT_EQ(spis.LoadFromPath(SpiFolder("docs") + "*.spi"), 1);
  EXPECT_EQ(spis.ImageMasks(), (std::vector<std::string>{"*.ppm", "*.pnm"}));
  // By hand: a comment in the header, three pixels of a 3 × 1 picture.
  test::WriteRaw(m_folder / "a.ppm", std::string("P6\n# by hand\n3 1\n255\n") + std::string("\xFF\0\0\0\xFF\0\0\0\x80", 9));
  EXPECT_EQ(spis.LoadFromFile(m_folder / "a.ppm").Bits,
            (std::vector<std::uint8_t>{0, 0, 255, 0, 255, 0, 128, 0, 0}));
  test::WriteRaw(m_folder / "cut.ppm", "P6 3 1 255\n\xFF");
  EXPECT_THROW(spis.LoadFromFile(m_folder / "cut.ppm"), EInvalidGraphic);

  std::string out;
  if (!test::RunCommand("convert -version >/dev/null 2>&1", out)) GTEST_SKIP() << "ImageMagick not installed";
  ASSERT_TRUE(test::RunCommand("convert -size 17x9 plasma:fractal -depth 16 '" + (m_folder / "b.ppm") + "'", out));
  ASSERT_TRUE(test::RunCommand("convert '" + (m_folder / "b.ppm") + "' -depth 8 RGB:-", out));
  const TDib dib = spis.LoadFromFile(m_folder / "b.ppm");
  ASSERT_EQ(dib.Bits.size(), out.size());
  for (std::size_t i = 0; i < out.size(); ++i) {
    const int want = static_cast<std::uint8_t>(out[i / 3 * 3 + 2 - i % 3]);
    ASSERT_LE(std::abs(dib.Bits[i] - want), 1) << i;
  }
}

TEST(CmdPlugins, ListsAFolderAndTheProgramFolders) {
  test::TTempFolder scratch, app;
  const std::string mixed = SpiFolder("mixed");
  test::TRun run = test::RunCli(scratch, app.Path(), "plugins --plugins '" + mixed + "'");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "file\t" + mixed + "archive.spi\nversion\t00AM\ndescription\tQuillet test archive\n"
                     "mask\t*.qar\tQuillet test archive\n\n"
                     "file\t" + mixed + "import.spi\nversion\t00IN\ndescription\tQuillet test pictures\n"
                     "mask\t*.qtst\tQuillet test picture\n\n");
  EXPECT_NE(run.err.find("skipped " + mixed + "nopicture.spi: GetPicture"), std::string::npos) << run.err;

  // The settings file's folders: only the command folder, here app/Plugin/.
  std::filesystem::create_directories(app / "Option");
  std::filesystem::create_directories(app / "Plugin");
  std::filesystem::copy_file(SpiFolder("jpeg") + "twomasks.spi", app / "Plugin/twomasks.spi");
  test::WriteRaw(app / "Option/quillet.ini", "[Viewer]\r\nSusieAppPath=0\r\nSusieSystem=0\r\nSusieWindows=0\r\n");
  run = test::RunCli(scratch, app.Path(), "plugins");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out.substr(0, run.out.find('\n')), "file\t" + (app / "Plugin/twomasks.spi"));
  EXPECT_NE(run.out.find("mask\t*.jpg;*.jpeg\tJPEG test picture\n"), std::string::npos) << run.out;

  run = test::RunCli(scratch, app.Path(), "plugins --plugins '" + (app / "Option") + "'");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("no plug-ins found"), std::string::npos);
  EXPECT_EQ(test::RunCli(scratch, app.Path(), "plugins --plugins '" + (app / "none") + "'").status, 1);
  EXPECT_EQ(test::RunCli(scratch, app.Path(), "plugins extra").status, 2);
}

}  // namespace
}  // namespace quillet
