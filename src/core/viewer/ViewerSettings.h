// Section "Viewer" of the settings file as the image list uses it: read when
// the page is created and again after the options dialog applies, written
// by the options dialog.
#pragma once

#include "core/app/SettingsKeys.h"

namespace quillet {

namespace keys {
inline constexpr TFlagKey ViewerAllowUndo{kViewer, "AllowUndo", true, W::Options};
inline constexpr TIntKey ViewerEnterAction{kViewer, "EnterAction", 0, W::Options};
inline constexpr TFlagKey ViewerDeleteAsk{kViewer, "DeleteAsk", true, W::Options};
inline constexpr TFlagKey ViewerDrawFrame{kViewer, "DrawFrame", true, W::Options};
inline constexpr TFlagKey ViewerShowComment{kViewer, "ShowComment", true, W::Options};
inline constexpr TIntKey ViewerThreadPriority{kViewer, "ThreadPriority", 3, W::Options};
inline constexpr TFlagKey ViewerAutoArrange{kViewer, "AutoArrange", true, W::Options};
}  // namespace keys

// What the Enter key does in the list ("EnterAction").
enum class TViewerEnterAction { Preview = 0, OpenFolder, Add, Edit, Delete, SelectAll, Properties };

struct TViewerSettings {
  int Size = 96;  // thumbnail side in pixels ("Size"), 1..kMaxDibSide
  bool AllowUndo = true;     // deleted pictures and folders go to the trash
  TViewerEnterAction EnterAction = TViewerEnterAction::Preview;
  bool DeleteAsk = true;     // confirm before deleting
  bool DrawFrame = true;     // a frame around each thumbnail
  bool ShowComment = true;   // the selected picture's comment in the status bar
  int ThreadPriority = 3;    // of the load thread, 0 idle .. 6 time-critical
  bool AutoArrange = true;   // icons re-arranged to the page width
};

// Reads the keys above and "Size". An "EnterAction" outside 0..6 gives
// Preview, a "ThreadPriority" outside 0..6 gives 3. "Size" is taken as its
// absolute value (ReadViewerSize); 0, which leaves no thumbnail, gives the
// default 96, and a size above kMaxDibSide (no picture is larger) gives
// kMaxDibSide.
TViewerSettings ReadViewerSettings(const THIniFile& ini);
void WriteViewerSettings(THIniFile& ini, const TViewerSettings& settings);

}  // namespace quillet
