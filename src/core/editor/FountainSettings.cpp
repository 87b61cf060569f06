// Highlighter settings; see FountainSettings.h.
#include "core/editor/FountainSettings.h"

#include "core/app/SettingsKeys.h"
#include "core/editor/EditorFountain.h"

namespace quillet {

void LoadFountainSettings(const THIniFile& ini, TEditorFountain& fountain) {
  fountain.SetUrl(keys::URL.Read(ini));
  fountain.SetMail(keys::Mail.Read(ini));
  TEditorColors& colors = fountain.Colors();
  colors.Url().SetColor(keys::ColorURL.Read(ini));
  colors.Mail().SetColor(keys::ColorMail.Read(ini));
  colors.Select().SetColor(keys::ColorSelString.Read(ini));
  colors.Select().SetBkColor(keys::ColorSelBack.Read(ini));
  TFountainColor& reserve = fountain.Reserve();
  reserve.SetColor(keys::ColorReserveStr.Read(ini));
  reserve.SetBkColor(keys::ReserveBk.Read(ini) ? clNone : keys::ColorReserveBack.Read(ini));
  switch (keys::ReserveStyle.Read(ini)) {
    case 1: reserve.SetStyle(fsBold); break;
    case 2: reserve.SetStyle(fsItalic); break;
    case 3: reserve.SetStyle(fsUnderline); break;
    default: reserve.SetStyle(0); break;
  }
}

bool LoadReserveWords(const std::string& optionFolder, TEditorFountain& fountain) {
  return fountain.ReserveWordList().LoadFromFile(optionFolder + std::string(kReserveFileName));
}

}  // namespace quillet
