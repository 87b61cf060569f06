// The image plug-in loader (see SPI.h).
#include "core/viewer/SPI.h"

#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <link.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <utility>

#include "core/app/AppFolder.h"
#include "core/app/HIniFile.h"
#include "core/app/SettingsKeys.h"
#include "core/viewer/Scaler.h"

#ifndef QUILLET_PLUGIN_DIR
#define QUILLET_PLUGIN_DIR "/usr/lib/quillet/plugins"
#endif

namespace quillet {
namespace {

// Generous: texts longer than this are cut, never overrun.
constexpr std::int32_t kInfoBufferSize = 4096;
// Mask pairs read from one plug-in at most, so a plug-in that answers every
// number cannot keep the loader in a loop.
constexpr std::int32_t kMaxMaskPairs = 256;

std::atomic<bool> g_managerAlive{false};

template <typename TFunction>
TFunction Symbol(void* handle, const char* name) {
  void* address = ::dlsym(handle, name);
  TFunction function = nullptr;
  static_assert(sizeof function == sizeof address);
  std::memcpy(&function, &address, sizeof address);
  return function;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

std::string Trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t");
  return std::string(text.substr(first, last - first + 1));
}

// A mask text split on ";", blanks around each part removed, empty parts
// dropped: "*.jpg;*.jpeg" gives "*.jpg", "*.jpeg".
std::vector<std::string> SplitMask(std::string_view mask) {
  std::vector<std::string> parts;
  for (std::size_t start = 0;;) {
    const auto end = mask.find(';', start);
    std::string part = Trim(mask.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    if (!part.empty()) parts.push_back(std::move(part));
    if (end == std::string_view::npos) return parts;
    start = end + 1;
  }
}

std::string WorkingFolder() {
  std::vector<char> buffer(4096);
  while (!::getcwd(buffer.data(), buffer.size())) {
    if (errno != ERANGE) return {};
    buffer.resize(buffer.size() * 2);
  }
  return buffer.data();
}

// The percentage of a plug-in's progress: MulDiv(done, 97, total) + 2
// (rounded to nearest), so the bar runs from 2 to 99.
int ProgressPercent(std::int32_t done, std::int32_t total) {
  const std::int64_t clamped = std::clamp<std::int64_t>(done, 0, total);
  return static_cast<int>((clamped * 97 + total / 2) / total) + 2;
}

// What the progress callback of one plug-in call needs. A C callback must
// not let an exception through the plug-in's frames: one thrown by the
// caller's progress function is kept here, the plug-in is asked to stop,
// and the exception is rethrown once the plug-in has returned.
struct TCallContext {
  const TSPIProgress* progress = nullptr;
  std::string message;
  bool aborted = false;
  std::exception_ptr failure;
};

std::int32_t ProgressThunk(std::int32_t done, std::int32_t total, std::intptr_t user) {
  auto* context = reinterpret_cast<TCallContext*>(user);
  if (context->aborted) return 1;
  if (total <= 0 || !*context->progress) return 0;
  try {
    if (!(*context->progress)(TSPIProgressStage::Running, ProgressPercent(done, total), context->message)) {
      context->aborted = true;
    }
  } catch (...) {
    context->failure = std::current_exception();
    context->aborted = true;
  }
  return context->aborted ? 1 : 0;
}

// Builds the picture from the two blocks a plug-in handed over and releases
// them, used or refused. Empty with `why` set when they are refused. With a
// `thumbnail` size above 0 the picture is made that thumbnail at once (24-bit
// pixels straight from the block, without a full-size copy), and `width` and
// `height` get the block's own size.
TDib TakeBlocks(void* info, void* bits, const std::string& plugin, std::string& why, std::int32_t thumbnail,
                std::int32_t& width, std::int32_t& height) {
  TDib dib;
  std::string error;
  TDibView view;
  if (!info || !bits) {
    why = "[" + plugin + "] returned no picture";
  } else if (thumbnail > 0 &&
             PackedView24(info, ::malloc_usable_size(info), bits, ::malloc_usable_size(bits), view)) {
    width = view.Width;
    height = view.Height;
    dib = MakeThumbnail(view, thumbnail, &error);
  } else {
    dib = DibFromPacked(info, ::malloc_usable_size(info), bits, ::malloc_usable_size(bits), &error);
    width = dib.Width;
    height = dib.Height;
    if (thumbnail > 0 && !dib.Empty()) dib = MakeThumbnail(dib, thumbnail, &error);
  }
  if (info && bits && dib.Empty()) why = "[" + plugin + "] returned a picture that cannot be used: " + error;
  std::free(info);
  std::free(bits);
  return dib;
}

}  // namespace

ESPIDupCreateSPIs::ESPIDupCreateSPIs() : ESPIError("TSPIs は複数生成できません") {}

ESPIInvalidAPI::ESPIInvalidAPI(std::string_view entryPoint, std::string_view fileName)
    : ESPIError(std::string(entryPoint) + "は[" + std::string(fileName) + "]では使えないSusie Plugin APIです") {}

ESPIFOpenErrorSPI::ESPIFOpenErrorSPI(std::string_view path, std::string reason)
    : ESPIError(std::string(path) + ":Susie Pluginがロードできませんでした"), m_reason(std::move(reason)) {}

EInvalidGraphic::EInvalidGraphic(std::string reason)
    : ESPIError("Susie Plugins could not decode"), m_reason(std::move(reason)) {}

ESPIAborted::ESPIAborted() : EInvalidGraphic("Susie Plugin decoding was aborted") {}

// ---- TSPI ----

TSPI::TSPI(const std::string& path) {
  // A name without a slash would make dlopen search the library path; the
  // plug-in named is the file in the working folder.
  const std::string openPath = path.find('/') == std::string::npos ? "./" + path : path;
  ::dlerror();
  m_handle = ::dlopen(openPath.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!m_handle) {
    const char* reason = ::dlerror();
    throw ESPIFOpenErrorSPI(path, reason ? reason : "");
  }
  try {
    link_map* map = nullptr;
    if (::dlinfo(m_handle, RTLD_DI_LINKMAP, &map) == 0 && map && map->l_name && *map->l_name)
      m_fileName = map->l_name;
    else
      m_fileName = path;
    m_api.getPluginInfo = Symbol<decltype(m_api.getPluginInfo)>(m_handle, "GetPluginInfo");
    m_api.isSupported = Symbol<decltype(m_api.isSupported)>(m_handle, "IsSupported");
    m_api.getPictureInfo = Symbol<decltype(m_api.getPictureInfo)>(m_handle, "GetPictureInfo");
    m_api.getPicture = Symbol<decltype(m_api.getPicture)>(m_handle, "GetPicture");
    m_api.getPreview = Symbol<decltype(m_api.getPreview)>(m_handle, "GetPreview");
    m_api.getArchiveInfo = Symbol<decltype(m_api.getArchiveInfo)>(m_handle, "GetArchiveInfo");
    m_api.getFileInfo = Symbol<decltype(m_api.getFileInfo)>(m_handle, "GetFileInfo");
    m_api.getFile = Symbol<decltype(m_api.getFile)>(m_handle, "GetFile");
    m_api.configurationDlg = Symbol<decltype(m_api.configurationDlg)>(m_handle, "ConfigurationDlg");
    ReadTexts();
  } catch (...) {
    ::dlclose(m_handle);
    throw;
  }
}

TSPI::TSPI(TSPI&& loaded) noexcept
    : m_api(loaded.m_api),
      m_handle(std::exchange(loaded.m_handle, nullptr)),
      m_fileName(std::move(loaded.m_fileName)),
      m_version(std::move(loaded.m_version)),
      m_description(std::move(loaded.m_description)),
      m_masks(std::move(loaded.m_masks)),
      m_typeNames(std::move(loaded.m_typeNames)) {
  loaded.m_api = {};
}

TSPI::~TSPI() {
  if (m_handle) ::dlclose(m_handle);
}

std::unique_ptr<TSPI> TSPI::Create(const std::string& path) {
  TSPI plain(path);
  const std::string version = plain.APIVersion();
  if (version == "00IN") return std::make_unique<TInSPI>(std::move(plain));
  if (version == "00AM") return std::make_unique<TAmSPI>(std::move(plain));
  if (version == "00XN") return std::make_unique<TXnSPI>(std::move(plain));
  return std::unique_ptr<TSPI>(new TSPI(std::move(plain)));
}

bool TSPI::Info(std::int32_t infoNo, std::string& text) const {
  std::vector<char> buffer(static_cast<std::size_t>(kInfoBufferSize), '\0');
  const std::int32_t length = m_api.getPluginInfo(infoNo, buffer.data(), kInfoBufferSize);
  if (length < 1) return false;
  // Never trust the length beyond the buffer, nor a text without its NUL.
  const std::size_t limit = std::min<std::size_t>(static_cast<std::size_t>(length), buffer.size() - 1);
  text.assign(buffer.data(), ::strnlen(buffer.data(), limit));
  return true;
}

void TSPI::ReadTexts() {
  if (!m_api.getPluginInfo) return;
  Info(0, m_version);
  Info(1, m_description);
  for (std::int32_t pair = 0; pair < kMaxMaskPairs; ++pair) {
    std::string mask, typeName;
    if (!Info(2 * pair + 2, mask) || !Info(2 * pair + 3, typeName)) break;
    m_masks.push_back(std::move(mask));
    m_typeNames.push_back(std::move(typeName));
  }
}

std::string TSPI::BaseName() const {
  const auto slash = m_fileName.rfind('/');
  return slash == std::string::npos ? m_fileName : m_fileName.substr(slash + 1);
}

std::vector<std::string> TSPI::MaskParts() const {
  std::vector<std::string> parts;
  for (const std::string& mask : m_masks) {
    for (std::string& part : SplitMask(mask)) parts.push_back(std::move(part));
  }
  return parts;
}

std::int32_t TSPI::GetPluginInfo(std::int32_t infoNo, char* buf, std::int32_t bufLen) const {
  Require(m_api.getPluginInfo, "GetPluginInfo");
  return m_api.getPluginInfo(infoNo, buf, bufLen);
}
std::int32_t TSPI::IsSupported(const char* fileName, const void* header) const {
  Require(m_api.isSupported, "IsSupported");
  return m_api.isSupported(fileName, header);
}
std::int32_t TSPI::GetPictureInfo(const char* buf, std::intptr_t len, std::uint32_t flag, SpiPictureInfo* info) const {
  Require(m_api.getPictureInfo, "GetPictureInfo");
  return m_api.getPictureInfo(buf, len, flag, info);
}
std::int32_t TSPI::GetPicture(const char* buf, std::intptr_t len, std::uint32_t flag, void** info, void** bits,
                              SpiProgressCallback progress, std::intptr_t user) const {
  Require(m_api.getPicture, "GetPicture");
  return m_api.getPicture(buf, len, flag, info, bits, progress, user);
}
std::int32_t TSPI::GetPreview(const char* buf, std::intptr_t len, std::uint32_t flag, void** info, void** bits,
                              SpiProgressCallback progress, std::intptr_t user) const {
  Require(m_api.getPreview, "GetPreview");
  return m_api.getPreview(buf, len, flag, info, bits, progress, user);
}
std::int32_t TSPI::GetArchiveInfo(const char* buf, std::intptr_t len, std::uint32_t flag, void** list) const {
  Require(m_api.getArchiveInfo, "GetArchiveInfo");
  return m_api.getArchiveInfo(buf, len, flag, list);
}
std::int32_t TSPI::GetFileInfo(const char* buf, std::intptr_t len, const char* fileName, std::uint32_t flag,
                               SpiFileInfo* info) const {
  Require(m_api.getFileInfo, "GetFileInfo");
  return m_api.getFileInfo(buf, len, fileName, flag, info);
}
std::int32_t TSPI::GetFile(const char* src, std::intptr_t len, char* dest, std::uint32_t flag,
                           SpiProgressCallback progress, std::intptr_t user) const {
  Require(m_api.getFile, "GetFile");
  return m_api.getFile(src, len, dest, flag, progress, user);
}
std::int32_t TSPI::ConfigurationDlg(std::uintptr_t parent, std::int32_t function) const {
  Require(m_api.configurationDlg, "ConfigurationDlg");
  return m_api.configurationDlg(parent, function);
}

TLoaderSPI::TLoaderSPI(TSPI&& loaded) : TSPI(std::move(loaded)) {
  Require(m_api.getPluginInfo, "GetPluginInfo");
  Require(m_api.isSupported, "IsSupported");
}

TInSPI::TInSPI(TSPI&& loaded) : TLoaderSPI(std::move(loaded)) {
  Require(m_api.getPictureInfo, "GetPictureInfo");
  Require(m_api.getPicture, "GetPicture");
}

TAmSPI::TAmSPI(TSPI&& loaded) : TLoaderSPI(std::move(loaded)) {
  Require(m_api.getArchiveInfo, "GetArchiveInfo");
  Require(m_api.getFileInfo, "GetFileInfo");
  Require(m_api.getFile, "GetFile");
}

TXnSPI::TXnSPI(TSPI&& loaded) : TSPI(std::move(loaded)) {}

// ---- folders and settings ----

TSPIFolders DefaultSPIFolders() {
  TSPIFolders folders;
  folders.AppDir = ExecutableFolder();
  folders.SystemDir = WithTrailingSlash(QUILLET_PLUGIN_DIR);
  folders.WindowsDir = "/usr/local/lib/quillet/plugins/";
  return folders;
}

TSPIStartSettings ReadSPIStartSettings(const THIniFile& ini, const std::string& appFolder) {
  TSPIStartSettings settings;
  settings.AppPath = keys::SusieAppPath.Read(ini);
  settings.System = keys::SusieSystem.Read(ini);
  settings.Windows = keys::SusieWindows.Read(ini);
  settings.Command = keys::SusieCommand.Read(ini);
  // An empty value is the default rather than "no folder": a bare "*.spi"
  // would search the folders chosen above a second time.
  const std::string stored = PathFromSetting(keys::SusieCommandPath.Read(ini));
  settings.CommandPath = WithTrailingSlash(stored.empty() ? appFolder + "Plugin/" : stored);
  return settings;
}

int LoadStartupPlugins(TSPIs& spis, const TSPIStartSettings& settings) {
  TSPISearchOptions options;
  if (settings.AppPath) options.insert(TSPISearchOption::spsAppDir);
  if (settings.System) options.insert(TSPISearchOption::spsSystemDir);
  if (settings.Windows) options.insert(TSPISearchOption::spsWindowsDir);
  int added = 0;
  if (!options.empty()) {
    spis.SearchOptions = options;
    added += spis.LoadFromPath("*.spi");
  }
  if (settings.Command && !settings.CommandPath.empty()) {
    added += spis.LoadFromPath(WithTrailingSlash(settings.CommandPath) + "*.spi");
  }
  return added;
}

// ---- TSPIs ----

TSPIs::TSPIs(TSPIFolders folders, bool autoSearch) : m_folders(std::move(folders)) {
  if (g_managerAlive.exchange(true)) throw ESPIDupCreateSPIs();
  if (autoSearch) LoadFromPath("*.spi");
}

TSPIs::~TSPIs() {
  Clear();
  g_managerAlive.store(false);
}

int TSPIs::IndexOf(std::string_view fileName) const {
  for (std::size_t i = 0; i < m_items.size(); ++i) {
    if (EqualNoCase(m_items[i]->FileName(), fileName)) return static_cast<int>(i);
  }
  return -1;
}

void TSPIs::Delete(int index) {
  const auto at = m_items.begin() + static_cast<std::ptrdiff_t>(index);
  if (index < 0 || at >= m_items.end()) throw std::out_of_range("TSPIs::Delete: no plug-in at " + std::to_string(index));
  const std::string fileName = (*at)->FileName();
  std::erase_if(m_extensions, [&](const TSPIExtension& e) { return e.FileName == fileName; });
  m_items.erase(at);
}

void TSPIs::Clear() {
  m_extensions.clear();
  m_items.clear();
}

std::vector<std::string> TSPIs::ImageMasks() const {
  std::vector<std::string> masks;
  for (const TSPIExtension& extension : m_extensions) masks.push_back(extension.Mask);
  return masks;
}

int TSPIs::LoadFromPath(const std::string& mask) {
  const auto slash = mask.rfind('/');
  if (slash != std::string::npos) return SearchFolder(mask.substr(0, slash + 1), mask.substr(slash + 1));
  int added = 0;
  const TSPISearchOption order[] = {TSPISearchOption::spsSusieDir, TSPISearchOption::spsAppDir,
                                    TSPISearchOption::spsCurrentDir, TSPISearchOption::spsSystemDir,
                                    TSPISearchOption::spsWindowsDir};
  for (const TSPISearchOption option : order) {
    if (!SearchOptions.count(option)) continue;
    std::string folder;
    switch (option) {
      case TSPISearchOption::spsSusieDir: break;  // no registry on Linux: skipped as a missing key is
      case TSPISearchOption::spsAppDir: folder = m_folders.AppDir; break;
      case TSPISearchOption::spsCurrentDir:
        folder = m_folders.CurrentDir.empty() ? WorkingFolder() : m_folders.CurrentDir;
        break;
      case TSPISearchOption::spsSystemDir: folder = m_folders.SystemDir; break;
      case TSPISearchOption::spsWindowsDir: folder = m_folders.WindowsDir; break;
    }
    if (!folder.empty()) added += SearchFolder(WithTrailingSlash(folder), mask);
  }
  return added;
}

int TSPIs::SearchFolder(const std::string& folder, const std::string& pattern) {
  std::vector<std::string> names;
  if (DIR* dir = ::opendir(folder.c_str())) {
    while (const dirent* entry = ::readdir(dir)) {
      // FNM_PERIOD: a leading "." is never matched by a wildcard, so hidden
      // files are left out as Windows leaves out hidden ones.
      if (::fnmatch(pattern.c_str(), entry->d_name, FNM_PERIOD | FNM_CASEFOLD) == 0) names.emplace_back(entry->d_name);
    }
    ::closedir(dir);
  }
  // readdir's order is the file system's; byte order makes the load order,
  // and so which plug-in is asked first, the same on every machine.
  std::sort(names.begin(), names.end());
  int added = 0;
  for (const std::string& name : names) {
    const std::string path = folder + name;
    try {
      struct stat st {};
      if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
      if (IndexOf(path) >= 0) continue;
      if (OnBeforeLoad && !OnBeforeLoad(path)) continue;
      std::unique_ptr<TSPI> spi = TSPI::Create(path);
      if (OnSearch && !OnSearch(*spi)) continue;
      Add(std::move(spi));
      ++added;
    } catch (const ESPIFOpenErrorSPI& error) {
      if (OnLoadError) OnLoadError(path, error.Reason().empty() ? error.what() : error.Reason());
    } catch (const std::exception& error) {
      if (OnLoadError) OnLoadError(path, error.what());
    }
  }
  return added;
}

void TSPIs::Add(std::unique_ptr<TSPI> spi) {
  if (spi->Kind() == TSPIKind::In) {
    std::vector<TSPIExtension> added;
    for (std::size_t i = 0; i < spi->Masks().size(); ++i) {
      for (const std::string& part : SplitMask(spi->Masks()[i])) {
        const auto dot = part.rfind('.');  // "*.jpg" registers "jpg"
        added.push_back({dot == std::string::npos ? part : part.substr(dot + 1), part, spi->TypeNames()[i],
                         spi->FileName()});
      }
    }
    for (const TSPIExtension& extension : added) {
      if (OnExtension) OnExtension(extension);
      m_extensions.push_back(extension);
    }
  }
  m_items.push_back(std::move(spi));
}

// ---- decoding ----

struct TSPIs::TSource {
  std::string name;         // what IsSupported sees
  bool isFile = true;
  std::string path;         // a file source
  std::string_view memory;  // a memory source
};

TDib TSPIs::LoadFromFile(const std::string& path, const TSPIProgress& progress) const {
  TSource source;
  source.name = path;
  source.path = path;
  return Decode(source, 0, progress).Picture;
}

TDib TSPIs::LoadFromMemory(std::string_view data, const std::string& name, const TSPIProgress& progress) const {
  TSource source;
  source.name = name;
  source.isFile = false;
  source.memory = data;
  return Decode(source, 0, progress).Picture;
}

TSPIThumbnail TSPIs::LoadThumbnailFromFile(const std::string& path, std::int32_t size,
                                           const TSPIProgress& progress) const {
  TSource source;
  source.name = path;
  source.path = path;
  return Decode(source, std::max(size, 1), progress);
}

TSPIThumbnail TSPIs::Decode(const TSource& source, std::int32_t thumbnailSize, const TSPIProgress& progress) const {
  const TSPIProgress& report = progress ? progress : OnProgress;
  // A request to stop before a plug-in is called ends the decode at once.
  const auto raise = [&](TSPIProgressStage stage, int percent, const std::string& message) {
    if (report && !report(stage, percent, message) && stage != TSPIProgressStage::Ending) throw ESPIAborted();
  };
  raise(TSPIProgressStage::Starting, 0, "Loading Graphic by Susie Plugin");
  raise(TSPIProgressStage::Running, 1, "Seeking enabled Susie Plugins");

  std::vector<char> header(SPI_HEADER_SIZE, '\0');
  if (source.isFile) {
    const int fd = ::open(source.path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw EInvalidGraphic(std::string("cannot read the file: ") + std::strerror(errno));
    std::size_t got = 0;
    while (got < header.size()) {
      const ssize_t n = ::read(fd, header.data() + got, header.size() - got);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        const int error = errno;
        ::close(fd);
        throw EInvalidGraphic(std::string("cannot read the file: ") + std::strerror(error));
      }
      if (n == 0) break;
      got += static_cast<std::size_t>(n);
    }
    ::close(fd);
  } else {
    std::copy_n(source.memory.data(), std::min(source.memory.size(), header.size()), header.begin());
  }

  const char* buf = source.isFile ? source.path.c_str() : source.memory.data();
  const auto len = source.isFile ? std::intptr_t{0} : static_cast<std::intptr_t>(source.memory.size());
  const std::uint32_t flag = source.isFile ? SPI_INPUT_FILE : SPI_INPUT_MEMORY;
  std::string reason;
  for (const auto& item : m_items) {
    const TSPI& spi = *item;
    if (spi.Kind() != TSPIKind::In) continue;
    TCallContext context;
    context.progress = &report;
    context.message = "Loading by [" + spi.BaseName() + "]";
    raise(TSPIProgressStage::Running, 2, context.message);
    if (spi.IsSupported(source.name.c_str(), header.data()) == 0) continue;

    SpiPictureInfo info{};
    const bool haveInfo = spi.GetPictureInfo(buf, len, flag, &info) == SPI_ALL_RIGHT && info.width > 0 && info.height > 0;
    std::free(info.text);

    // One call of GetPicture or GetPreview; an abort or an exception of the
    // progress function ends the decode once the plug-in has returned.
    // With a thumbnail size the picture comes back as that thumbnail and
    // `width` × `height` is the size the plug-in gave.
    const auto call = [&](bool preview, std::int32_t& width, std::int32_t& height) {
      void* infoBlock = nullptr;
      void* bitsBlock = nullptr;
      const auto user = reinterpret_cast<std::intptr_t>(&context);
      const std::int32_t result = preview ? spi.GetPreview(buf, len, flag, &infoBlock, &bitsBlock, ProgressThunk, user)
                                          : spi.GetPicture(buf, len, flag, &infoBlock, &bitsBlock, ProgressThunk, user);
      if (result != SPI_ALL_RIGHT) {
        infoBlock = bitsBlock = nullptr;  // the plug-in released them itself
        if (!context.aborted) reason = "[" + spi.BaseName() + "] answered error " + std::to_string(result);
      }
      TDib dib = result == SPI_ALL_RIGHT
                     ? TakeBlocks(infoBlock, bitsBlock, spi.BaseName(), reason, thumbnailSize, width, height)
                     : TDib{};
      if (context.failure) std::rethrow_exception(context.failure);
      if (context.aborted) throw ESPIAborted();
      return dib;
    };

    TSPIThumbnail out;
    std::int32_t width = 0, height = 0;
    if (thumbnailSize > 0 && haveInfo && spi.HasPreview()) {
      const TThumbSize thumbnail = ThumbnailSize(info.width, info.height, thumbnailSize);
      TDib preview = call(true, width, height);
      if (!preview.Empty() && width >= thumbnail.Width && height >= thumbnail.Height) {
        out.Picture = std::move(preview);
        out.FullWidth = info.width;
        out.FullHeight = info.height;
        out.FromPreview = true;
      }
    } else if (thumbnailSize == 0 && GraphicPreview && spi.HasPreview()) {
      out.Picture = call(true, width, height);
    }
    if (out.Picture.Empty()) {
      out.Picture = call(false, width, height);
      out.FromPreview = false;
      out.FullWidth = width;
      out.FullHeight = height;
    }
    if (out.Picture.Empty()) continue;  // refused or failed: the next plug-in may know better
    raise(TSPIProgressStage::Ending, 100, "Loaded Graphic by Susie Plugin");
    return out;
  }
  throw EInvalidGraphic(reason);
}

}  // namespace quillet
