// The image plug-in loader: shared libraries "*.spi" that follow the C
// interface of include/quillet/spi.h, loaded from a set of folders into one
// manager (TSPIs) for the whole run, and asked in turn to decode a picture.
//
// Loading a library: dlopen(RTLD_NOW | RTLD_LOCAL), so a library that lacks
// a symbol it needs fails at once instead of at its first call and its
// symbols never satisfy another plug-in's. GetPluginInfo(0) chooses the kind:
//   "00IN" TInSPI  (import)  needs GetPluginInfo, IsSupported, GetPictureInfo, GetPicture
//   "00AM" TAmSPI  (archive) needs GetPluginInfo, IsSupported, GetArchiveInfo, GetFileInfo, GetFile
//   "00XN" TXnSPI            needs nothing; never asked to decode
//   other  TSPI              needs nothing
// A library lacking an entry point its kind needs is refused (ESPIInvalidAPI)
// and never enters the list. The library is opened once: the version is read
// from the plain object, which then hands its handle to the object of its kind.
//
// Decoding asks the import plug-ins in load order: IsSupported with the first
// SPI_HEADER_SIZE bytes (zero-filled), then GetPictureInfo and GetPicture
// (GetPreview first when GraphicPreview is set). The two malloc()ed blocks a
// plug-in returns are measured with malloc_usable_size and checked against
// their header by DibFromPacked, then released with free(), whether they were
// used or refused. malloc may round a block up by a few bytes and counts them
// as usable, so a block short by less than that passes; the reads still stay
// inside the allocation. A plug-in whose blocks are refused or missing does not
// stop the search: the next plug-in is asked.
//
// Threads: the list of plug-ins is filled at start-up (LoadFromPath, Delete,
// Clear and the event members are for the thread that owns the manager,
// before any decode starts) and not changed afterwards. From then on the
// decoding functions are const and may be called from any thread, several at
// once; the progress callback passed to them runs on the calling thread.
// The manager must outlive every decode in flight.
//
// Linux folders: there is no registry, so spsSusieDir is always skipped;
// spsAppDir is the executable's folder, spsSystemDir the install's plug-in
// folder (<prefix>/lib/quillet/plugins) and spsWindowsDir
// /usr/local/lib/quillet/plugins. TSPIFolders carries them so that tests and
// quillet-cli can point them elsewhere.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <quillet/spi.h>

#include "core/viewer/Dib.h"

namespace quillet {

class THIniFile;

// Every error of this unit; what() is UTF-8.
class ESPIError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};
// "TSPIs は複数生成できません": a second manager in one process.
class ESPIDupCreateSPIs : public ESPIError {
public:
  ESPIDupCreateSPIs();
};
// "%sは[%s]では使えないSusie Plugin APIです": entry point, plug-in file name.
class ESPIInvalidAPI : public ESPIError {
public:
  ESPIInvalidAPI(std::string_view entryPoint, std::string_view fileName);
};
// "%s:Susie Pluginがロードできませんでした": the path. Reason() holds dlerror().
class ESPIFOpenErrorSPI : public ESPIError {
public:
  ESPIFOpenErrorSPI(std::string_view path, std::string reason);
  const std::string& Reason() const { return m_reason; }

private:
  std::string m_reason;
};
// "Susie Plugins could not decode": no plug-in gave a usable picture.
// Reason() says why a plug-in's picture was refused, or how the source could
// not be read; empty when simply no plug-in knew the data.
class EInvalidGraphic : public ESPIError {
public:
  explicit EInvalidGraphic(std::string reason = {});
  const std::string& Reason() const { return m_reason; }

private:
  std::string m_reason;
};
// The progress callback asked a decode to stop ("Susie Plugin decoding was
// aborted"); an EInvalidGraphic so that callers that skip undecodable
// pictures skip it too.
class ESPIAborted : public EInvalidGraphic {
public:
  ESPIAborted();
};

enum class TSPIKind { Plain, In, Am, Xn };

// One loaded library. Owns the handle; destroying the object unloads it.
// The entry-point callers are thin: each checks that the library exports the
// entry point (ESPIInvalidAPI otherwise) and passes the call through.
class TSPI {
public:
  // Loads the library at `path` and reads its texts. ESPIFOpenErrorSPI when
  // it cannot be loaded.
  explicit TSPI(const std::string& path);
  // Loads `path` as the kind its version names. ESPIFOpenErrorSPI when the
  // library cannot be loaded, ESPIInvalidAPI when its kind's check fails.
  static std::unique_ptr<TSPI> Create(const std::string& path);
  virtual ~TSPI();
  TSPI(const TSPI&) = delete;
  TSPI& operator=(const TSPI&) = delete;

  virtual TSPIKind Kind() const { return TSPIKind::Plain; }

  // The loaded module's path as the dynamic loader reports it (the path given
  // to the constructor when it reports none).
  const std::string& FileName() const { return m_fileName; }
  std::string BaseName() const;  // FileName without its folder
  const std::string& APIVersion() const { return m_version; }
  const std::string& Description() const { return m_description; }
  // Parallel lists: GetPluginInfo 2, 4, 6... and 3, 5, 7...
  const std::vector<std::string>& Masks() const { return m_masks; }
  const std::vector<std::string>& TypeNames() const { return m_typeNames; }
  // Every mask split on ";" in order, blanks around each part removed:
  // {"*.jpg;*.jpeg"} gives {"*.jpg", "*.jpeg"}.
  std::vector<std::string> MaskParts() const;

  bool HasPreview() const { return m_api.getPreview != nullptr; }

  std::int32_t GetPluginInfo(std::int32_t infoNo, char* buf, std::int32_t bufLen) const;
  std::int32_t IsSupported(const char* fileName, const void* header) const;
  std::int32_t GetPictureInfo(const char* buf, std::intptr_t len, std::uint32_t flag, SpiPictureInfo* info) const;
  std::int32_t GetPicture(const char* buf, std::intptr_t len, std::uint32_t flag, void** info, void** bits,
                          SpiProgressCallback progress, std::intptr_t user) const;
  std::int32_t GetPreview(const char* buf, std::intptr_t len, std::uint32_t flag, void** info, void** bits,
                          SpiProgressCallback progress, std::intptr_t user) const;
  std::int32_t GetArchiveInfo(const char* buf, std::intptr_t len, std::uint32_t flag, void** list) const;
  std::int32_t GetFileInfo(const char* buf, std::intptr_t len, const char* fileName, std::uint32_t flag,
                           SpiFileInfo* info) const;
  std::int32_t GetFile(const char* src, std::intptr_t len, char* dest, std::uint32_t flag, SpiProgressCallback progress,
                       std::intptr_t user) const;
  std::int32_t ConfigurationDlg(std::uintptr_t parent, std::int32_t function) const;

protected:
  // Takes over the handle, texts and addresses of `loaded`, which is left
  // without a library.
  TSPI(TSPI&& loaded) noexcept;
  // ESPIInvalidAPI naming `entryPoint` when `address` is null.
  template <typename TFunction>
  void Require(TFunction address, const char* entryPoint) const {
    if (!address) throw ESPIInvalidAPI(entryPoint, m_fileName);
  }

  struct TEntryPoints {
    decltype(&::GetPluginInfo) getPluginInfo = nullptr;
    decltype(&::IsSupported) isSupported = nullptr;
    decltype(&::GetPictureInfo) getPictureInfo = nullptr;
    decltype(&::GetPicture) getPicture = nullptr;
    decltype(&::GetPreview) getPreview = nullptr;
    decltype(&::GetArchiveInfo) getArchiveInfo = nullptr;
    decltype(&::GetFileInfo) getFileInfo = nullptr;
    decltype(&::GetFile) getFile = nullptr;
    decltype(&::ConfigurationDlg) configurationDlg = nullptr;
  };
  TEntryPoints m_api;

private:
  void ReadTexts();
  // GetPluginInfo(infoNo) into `text`; false when it answers a length below 1.
  bool Info(std::int32_t infoNo, std::string& text) const;

  void* m_handle = nullptr;
  std::string m_fileName;
  std::string m_version;
  std::string m_description;
  std::vector<std::string> m_masks;
  std::vector<std::string> m_typeNames;
};

// The common base of import and archive plug-ins: GetPluginInfo, IsSupported.
class TLoaderSPI : public TSPI {
protected:
  explicit TLoaderSPI(TSPI&& loaded);
};

class TInSPI : public TLoaderSPI {
public:
  explicit TInSPI(TSPI&& loaded);
  TSPIKind Kind() const override { return TSPIKind::In; }
};

class TAmSPI : public TLoaderSPI {
public:
  explicit TAmSPI(TSPI&& loaded);
  TSPIKind Kind() const override { return TSPIKind::Am; }
};

class TXnSPI : public TSPI {
public:
  explicit TXnSPI(TSPI&& loaded);
  TSPIKind Kind() const override { return TSPIKind::Xn; }
};

enum class TSPISearchOption { spsSusieDir, spsAppDir, spsCurrentDir, spsSystemDir, spsWindowsDir };
using TSPISearchOptions = std::set<TSPISearchOption>;

// The folders behind the search options, each ending in "/" (an empty one is
// skipped). spsSusieDir has no folder here: Linux has no registry.
struct TSPIFolders {
  std::string AppDir;      // spsAppDir: the running executable's folder
  std::string CurrentDir;  // spsCurrentDir: empty means the working folder at search time
  std::string SystemDir;   // spsSystemDir: <prefix>/lib/quillet/plugins/
  std::string WindowsDir;  // spsWindowsDir: /usr/local/lib/quillet/plugins/
};
// The folders of this process: the executable's folder, the install's
// plug-in folder, /usr/local/lib/quillet/plugins/.
TSPIFolders DefaultSPIFolders();

// Decode progress: 0 starting, 1 running, 2 ending.
enum class TSPIProgressStage { Starting = 0, Running = 1, Ending = 2 };
// Returns false to ask the decode to stop (the plug-in's callback then
// answers non-zero, and the decode ends with ESPIAborted).
using TSPIProgress = std::function<bool(TSPIProgressStage stage, int percent, const std::string& message)>;

// One extension registered from an import plug-in's masks.
struct TSPIExtension {
  std::string Extension;  // "jpg" (what follows the last "." of the mask part)
  std::string Mask;       // "*.jpg"
  std::string TypeName;   // the plug-in's type name for that mask text
  std::string FileName;   // the plug-in
};

// What a decode for a thumbnail gives.
struct TSPIThumbnail {
  TDib Picture;  // already the thumbnail (MakeThumbnail of the decoded picture)
  std::int32_t FullWidth = 0;   // the picture's own size, also when Picture is a smaller preview
  std::int32_t FullHeight = 0;
  bool FromPreview = false;
};

class TSPIs {
public:
  // ESPIDupCreateSPIs while another manager exists in this process. With
  // `autoSearch`, runs LoadFromPath("*.spi") at once.
  explicit TSPIs(TSPIFolders folders = DefaultSPIFolders(), bool autoSearch = false);
  ~TSPIs();
  TSPIs(const TSPIs&) = delete;
  TSPIs& operator=(const TSPIs&) = delete;

  // Folders searched by a mask without a folder part, in the fixed order
  // registry, program, current, system, Windows.
  TSPISearchOptions SearchOptions{TSPISearchOption::spsSusieDir, TSPISearchOption::spsAppDir,
                                  TSPISearchOption::spsSystemDir, TSPISearchOption::spsWindowsDir};
  // Try GetPreview before GetPicture when decoding (off in this program).
  bool GraphicPreview = false;

  // Before a found library is loaded; false skips it.
  std::function<bool(const std::string& path)> OnBeforeLoad;
  // After a library was loaded; false releases it.
  std::function<bool(const TSPI& spi)> OnSearch;
  // For every extension an import plug-in registers.
  std::function<void(const TSPIExtension& extension)> OnExtension;
  // Why a found library was skipped (the search itself goes on silently);
  // for diagnostics such as quillet-cli's listing.
  std::function<void(const std::string& path, const std::string& reason)> OnLoadError;
  // Progress of decodes given no progress callback of their own.
  TSPIProgress OnProgress;

  // Loads every library matching `mask`. A mask with a folder part
  // ("/opt/spi/*.spi") searches that folder only; a bare mask searches the
  // folders of SearchOptions in order. Files are regular, not hidden (no
  // leading "."), matched with fnmatch without regard to case, taken in
  // byte order of their names, and skipped when already loaded. Returns the
  // number of plug-ins added.
  int LoadFromPath(const std::string& mask);

  int Count() const { return static_cast<int>(m_items.size()); }
  const TSPI& Items(int index) const { return *m_items.at(static_cast<std::size_t>(index)); }
  // Position of the plug-in whose FileName equals `fileName` without regard
  // to ASCII case; -1 when none.
  int IndexOf(std::string_view fileName) const;
  void Delete(int index);
  void Clear();

  // Extensions registered so far, in load order, and the image masks they
  // add to the program's list ("*.jpg", "*.jpeg", ...).
  const std::vector<TSPIExtension>& Extensions() const { return m_extensions; }
  std::vector<std::string> ImageMasks() const;

  // Decodes the file at `path`. EInvalidGraphic when no plug-in gives a
  // usable picture or the file cannot be read; ESPIAborted when `progress`
  // asked to stop. Thread-safe (see above).
  TDib LoadFromFile(const std::string& path, const TSPIProgress& progress = {}) const;
  // Decodes `data` (the plug-ins get it as memory); `name` is what
  // IsSupported sees as the file name.
  TDib LoadFromMemory(std::string_view data, const std::string& name, const TSPIProgress& progress = {}) const;
  // Decodes for a thumbnail of at most `size` × `size`: an import plug-in's
  // preview is used when it is offered and at least as large as the
  // thumbnail of the full picture (full size from GetPictureInfo), else the
  // full picture. Either is scaled to the thumbnail straight from the
  // plug-in's block, so a large photo is never copied whole. FullWidth and
  // FullHeight are the picture's own size either way.
  TSPIThumbnail LoadThumbnailFromFile(const std::string& path, std::int32_t size,
                                      const TSPIProgress& progress = {}) const;

private:
  struct TSource;
  TSPIThumbnail Decode(const TSource& source, std::int32_t thumbnailSize, const TSPIProgress& progress) const;
  int SearchFolder(const std::string& folder, const std::string& pattern);
  void Add(std::unique_ptr<TSPI> spi);

  TSPIFolders m_folders;
  std::vector<std::unique_ptr<TSPI>> m_items;
  std::vector<TSPIExtension> m_extensions;
};

// The start-up settings of section "Viewer": "SusieAppPath", "SusieSystem",
// "SusieWindows" choose the folders; "SusieCommand" adds the folder of
// "SusieCommandPath" (default: the program folder + "Plugin/").
struct TSPIStartSettings {
  bool AppPath = true;
  bool System = true;
  bool Windows = true;
  bool Command = true;
  std::string CommandPath;  // a folder, ending in "/"
};
TSPIStartSettings ReadSPIStartSettings(const THIniFile& ini, const std::string& appFolder);

// What the program does at start: the chosen folders as SearchOptions and
// LoadFromPath("*.spi") when any is chosen, then the command folder when
// "SusieCommand" is set. Returns the number of plug-ins added.
int LoadStartupPlugins(TSPIs& spis, const TSPIStartSettings& settings);

}  // namespace quillet
