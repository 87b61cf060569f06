// Sections "Edit" and "Color" applied to the editor; see EditorSettings.h.
#include "gui/editor/EditorSettings.h"

#include <algorithm>

#include "core/app/SettingsKeys.h"
#include "gui/editor/EditorColors.h"
#include "gui/editor/EditorSE.h"

namespace quillet {

void LoadEditorSettings(const THIniFile& ini, TEditorSE& editor) {
  const QPalette palette = editor.palette();
  const auto color = [&](const TColorKey& key) { return ToQColor(key.Read(ini), palette); };
  const auto orElse = [](QColor value, QColor fallback) { return value.isValid() ? value : fallback; };

  TEditorCaret caret = editor.Caret();
  caret.AutoIndent = keys::AutoIndent.Read(ini);
  caret.BackSpaceUnIndent = keys::BackSpaceUnIndent.Read(ini);
  caret.FreeCaret = keys::FreeCaret.Read(ini);
  caret.KeepCaret = keys::KeepCaret.Read(ini);
  caret.LockScroll = keys::LockScroll.Read(ini);
  caret.NextLine = keys::NextLine.Read(ini);
  caret.RowSelect = keys::RowSelect.Read(ini);
  caret.SelMove = keys::SelMove.Read(ini);
  caret.SoftTab = keys::SoftTab.Read(ini);
  caret.TabIndent = keys::TabIndent.Read(ini);
  editor.SetCaret(caret);
  editor.SetTabSpaceCount(keys::TabCount.Read(ini));
  editor.SetUndoListMax(keys::UndoBuf.Read(ini));
  LoadWrapOption(ini, editor.WrapOption());

  TEditorMarks marks = editor.Marks();
  marks.EofMark = {color(keys::ColorEOF), keys::ShowEOF.Read(ini)};
  marks.RetMark = {color(keys::ColorRet), keys::ShowRet.Read(ini)};
  marks.WrapMark = marks.RetMark;
  marks.Underline = {color(keys::ColorUnderLine), keys::ShowUnderLine.Read(ini)};
  editor.SetMarks(marks);
  TSEMarks blanks;
  blanks.SpaceMark = {color(keys::ColorSpace), keys::ShowSpace.Read(ini)};
  blanks.DblSpaceMark = {color(keys::ColorDblSpace), keys::ShowDblSpace.Read(ini)};
  blanks.TabMark = {color(keys::ColorTab), keys::ShowTab.Read(ini)};
  editor.SetSEMarks(blanks);

  TEditorMargin margin;
  margin.Character = std::max(keys::CharacterMargin.Read(ini), 0);
  margin.Left = std::max(keys::LeftMargin.Read(ini), 0);
  margin.Line = std::max(keys::LineMargin.Read(ini), 0);
  margin.Top = std::max(keys::TopMargin.Read(ini), 0);
  editor.SetMargin(margin);

  TEditorLeftbar leftbar = editor.Leftbar();
  leftbar.Visible = keys::ShowLeftBar.Read(ini);
  leftbar.ZeroBase = keys::ZeroBase.Read(ini);
  leftbar.ZeroLead = keys::ZeroLead.Read(ini);
  leftbar.Edge = keys::LeftEdge.Read(ini);
  leftbar.Column = std::clamp(keys::Column.Read(ini) + 1, 1, 12);
  leftbar.Color = color(keys::ColorLeftBar);
  leftbar.BkColor = keys::LeftBarBkColor.Read(ini) ? QColor() : color(keys::ColorLeftBarBk);
  editor.SetLeftbar(leftbar);

  TEditorRuler ruler = editor.Ruler();
  ruler.Visible = keys::ShowRuler.Read(ini);
  ruler.Edge = keys::RulerEdge.Read(ini);
  ruler.GaugeRange = keys::GaugeRange.Read(ini) == 0 ? 8 : 10;
  ruler.Color = color(keys::ColorRuler);
  ruler.MarkColor = color(keys::ColorRulerGaugeRange);
  ruler.BkColor = keys::RulerBkColor.Read(ini) ? QColor() : color(keys::ColorRulerBk);
  editor.SetRuler(ruler);

  editor.SetScrollBars(keys::HScrollBar.Read(ini) == 0, keys::VScrollBar.Read(ini) == 0);

  TSEProperty property = editor.SEProperty();
  property.DoubleBuf = keys::ShowDoubleBuf.Read(ini);
  property.ClickableType = keys::ClickableType.Read(ini) ? TClickableType::SingleClick : TClickableType::DoubleClick;
  editor.SetSEProperty(property);

  TEditorTextColors colors = editor.TextColors();
  colors.Text = orElse(color(keys::ColorString), palette.color(QPalette::Text));
  colors.Back = orElse(color(keys::ColorBack), palette.color(QPalette::Base));
  colors.SelText = orElse(color(keys::ColorSelString), palette.color(QPalette::HighlightedText));
  colors.SelBack = orElse(color(keys::ColorSelBack), palette.color(QPalette::Highlight));
  editor.SetTextColors(colors);
}

}  // namespace quillet
