// The program folder (AppFolder): where the settings live and, by default,
// the diary. The rule, in order: the folder named by QUILLET_APP_FOLDER; else
// the executable's folder when it already holds an "Option/" folder (a
// portable install, as on Windows); else
// $XDG_DATA_HOME/quillet/ (by default ~/.local/share/quillet/).
//
// Every folder path handed out here ends in exactly one "/", so callers join
// names by plain concatenation, as Windows paths did with their backslash.
#pragma once

#include <string>

namespace quillet {

// The environment and executable facts the rule depends on, so that the rule
// itself is a pure function. Empty strings stand for unset variables.
struct TAppFolderInputs {
  std::string appFolderVariable;   // $QUILLET_APP_FOLDER
  std::string xdgDataHome;         // $XDG_DATA_HOME
  std::string home;                // $HOME (or the password database's home)
  std::string executableFolder;    // folder of the running executable
  bool executableHasOptionFolder = false;  // executableFolder + "Option/" is a folder
};

// Applies the rule above. An empty QUILLET_APP_FOLDER is ignored, and so is a
// relative XDG_DATA_HOME (the XDG base directory rule). With neither a data
// home nor a home folder, the executable's folder is used, and "./" when even
// that is unknown. The result ends in exactly one "/".
std::string ResolveAppFolder(const TAppFolderInputs& inputs);

// The program folder of this process: the rule applied to the real
// environment and /proc/self/exe, computed on the first call and then
// fixed for the run. Thread-safe. Does not create the folder.
std::string AppFolder();

// The folder of the running executable (/proc/self/exe), ending in "/";
// empty when the system does not say.
std::string ExecutableFolder();

// `appFolder` + "Option/": the settings, history and panel files.
std::string OptionFolder(const std::string& appFolder);
// `appFolder` + "Option/quillet.ini".
std::string SettingsFilePath(const std::string& appFolder);

// The user's login name (password database, else $USER, else empty); the
// default key word of the cipher.
std::string LoginName();

// `path` with every trailing "/" removed and exactly one appended; "/" for
// the root folder. An empty path stays empty.
std::string WithTrailingSlash(std::string path);

// Paths kept in the settings file are code page 932 bytes, like every other
// value there, while file names on disk are UTF-8. These convert between the
// two; a value that does not convert (bytes already in UTF-8 from an edited
// file, say) is passed through unchanged rather than damaged.
std::string PathFromSetting(const std::string& cp932);
std::string PathToSetting(const std::string& utf8);

// True when `path` names a folder (a symbolic link to one counts).
bool FolderExists(const std::string& path);

// Makes sure `path` is a folder, creating it and any missing parents with
// mode 0700 (diary data is private to its owner). True when the folder
// exists afterwards; false when it cannot be created or a file of that name
// is in the way. Existing folders keep their mode.
bool EnsureFolder(const std::string& path);

}  // namespace quillet
