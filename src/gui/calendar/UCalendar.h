// TCalendarObject: the calendar page of the side panel ("カレンダー"). It holds
// one THCalendar that always shows the month of the open day, opens another
// day on a click (through the main window's ChangeDay), prints in bold the
// days whose entry file has content while "本文存在日付を太字化(&B)" is checked,
// and has a small menu (TCalPopup) to move by months and years and to open
// the day's file or folder with the outside tools.
//
// The page exists between the show and hide commands; while it exists it
// owns the zoom commands ("描写倍率(&R)", Ratio = item + 5) and the marking
// command. Settings come from section "Calendar": the switches, colours and
// the nine fonts (Color, Name and Size keys per font), each defaulting to
// the control's value when the key is absent.
#pragma once

#include <QMenu>
#include <array>

#include "core/app/PageKind.h"
#include "gui/app/PanelPage.h"
#include "gui/calendar/HCalendar.h"

namespace quillet {

class TFmMain;

// The nine fonts of section "Calendar" in the order their keys are read,
// each the stem of three keys ("TitleFontColor", "TitleFontName",
// "TitleFontSize").
struct TCalendarFontKey {
  const char* name;
  THFont THFonts::*font;
};
extern const std::array<TCalendarFontKey, 9> kCalendarFontKeys;

// Applies section "Calendar" to `c` between BeginUpdate and EndUpdate: the
// switches, colours, weekday labels and fonts, each key missing or
// unreadable keeping the control's value. Font names are code page 932. The
// calendar page and the options dialog's previews share it, so a preview
// looks as the page will.
void ApplyCalendarSettings(THCalendar& c, const THIniFile& ini);

// The page's context menu: move (a year or a month back or on), open the
// selected date, open the storage folder, cancel.
class TCalPopup : public QMenu {
  Q_OBJECT

public:
  TCalPopup(TFmMain& window, QWidget* parent);

signals:
  void OpenFile();
  void OpenDir();
};

class TCalendarObject : public TPanelPage {
public:
  static constexpr TPageKind kKind = TPageKind::Calendar;

  explicit TCalendarObject(TFmMain& window);
  ~TCalendarObject() override;

  THCalendar& Calendar() const { return *m_calendar; }
  TCalPopup& Popup() const { return *m_popup; }

  void ReadSettings(const THIniFile& ini) override;
  void OnDayLoaded(TDate date, bool otherMonth) override;
  void OnSaved(TDate date, const TSaveResult& result) override;

  // Applies section "Calendar" between BeginUpdate and EndUpdate.
  void LoadCalendarSettings(const THIniFile& ini);
  // Bold marks of the shown month: the days whose entry file has content.
  void MarkDays();
  void ClearMarks();
  void SetDayMark(int day, bool on);
  void RedrawDay(int day);
  // Follows the main window's open date; marks again when the month changed
  // and the marking command is checked.
  void SetDate();
  // The control's left edge centred in the page.
  void Centre();
  // The open day's entry file in the outside editor (created empty when
  // missing, made writable when read-only), and its month folder in the
  // outside file manager.
  void OpenEntry();
  void OpenFolder();

private:
  void OnMoveDate(TDate toDate);
  void OnRatio(int tag);

  TFmMain& m_window;
  TCalPopup* m_popup;       // owned by the sheet
  THCalendar* m_calendar;   // owned by the sheet
};

}  // namespace quillet
