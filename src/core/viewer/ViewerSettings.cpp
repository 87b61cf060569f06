// Reading and writing the image list's settings (see ViewerSettings.h).
#include "core/viewer/ViewerSettings.h"

#include <algorithm>

#include "core/search/DiaryGrep.h"
#include "core/viewer/Dib.h"

namespace quillet {

TViewerSettings ReadViewerSettings(const THIniFile& ini) {
  TViewerSettings s;
  const int size = keys::ReadViewerSize(ini);
  s.Size = size == 0 ? keys::ViewerSize.def : std::min(size, kMaxDibSide);
  s.AllowUndo = keys::ViewerAllowUndo.Read(ini);
  const int enter = keys::ViewerEnterAction.Read(ini);
  s.EnterAction = enter >= 0 && enter <= 6 ? static_cast<TViewerEnterAction>(enter) : TViewerEnterAction::Preview;
  s.DeleteAsk = keys::ViewerDeleteAsk.Read(ini);
  s.DrawFrame = keys::ViewerDrawFrame.Read(ini);
  s.ShowComment = keys::ViewerShowComment.Read(ini);
  s.ThreadPriority = PriorityFromSetting(keys::ViewerThreadPriority.Read(ini));
  s.AutoArrange = keys::ViewerAutoArrange.Read(ini);
  return s;
}

void WriteViewerSettings(THIniFile& ini, const TViewerSettings& settings) {
  keys::ViewerSize.Write(ini, settings.Size);
  keys::ViewerAllowUndo.Write(ini, settings.AllowUndo);
  keys::ViewerEnterAction.Write(ini, static_cast<int>(settings.EnterAction));
  keys::ViewerDeleteAsk.Write(ini, settings.DeleteAsk);
  keys::ViewerDrawFrame.Write(ini, settings.DrawFrame);
  keys::ViewerShowComment.Write(ini, settings.ShowComment);
  keys::ViewerThreadPriority.Write(ini, PriorityFromSetting(settings.ThreadPriority));
  keys::ViewerAutoArrange.Write(ini, settings.AutoArrange);
}

}  // namespace quillet
