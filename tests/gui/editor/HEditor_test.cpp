// The editor control driven as a user drives it: keys, text, input-method
// events, the mouse, the clipboard and drops, on the offscreen platform.
// Results are checked on the model (text, caret, selection, undo list), not
// on pixels, except where painting itself is the behaviour.
#include <QClipboard>
#include <QDragEnterEvent>
#include <QImage>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyle>
#include <QTextCharFormat>
#include <QUrl>

#include "EditorWidgetSupport.h"
#include "gui/editor/EditorClipboard.h"

namespace quillet {
namespace {

using test::EditorWidgetTest;
using test::Sj;
using P = std::pair<int, int>;

// --- Keys ----------------------------------------------------------------------------

TEST_F(EditorWidgetTest, TabStaysInTheEditorWhenItWantsTabs) {
  Key(Qt::Key_Tab);
  EXPECT_EQ(Text(), "\t");
  editor->SetWantTabs(false);
  Key(Qt::Key_Tab);
  EXPECT_EQ(Text(), "\t");
}

TEST_F(EditorWidgetTest, InsertTogglesOverwrite) {
  QSignalSpy spy(editor.get(), &TEditor::OverwriteChanged);
  Type("abc");
  Key(Qt::Key_Home);
  Key(Qt::Key_Insert);
  Type("XY");
  EXPECT_EQ(Text(), "XYc");
  EXPECT_EQ(spy.count(), 1);
}

// --- Code page 932 at the edge -------------------------------------------------------------

TEST_F(EditorWidgetTest, AnEmojiIsRefusedWithAMessageAndNothingChanges) {
  // Typed, committed by an input method or pasted: mixed text is refused
  // whole, never half put in.
  const std::function<void(const QString&)> ways[] = {
      [this](const QString& text) { Type(text); },
      [this](const QString& text) {
        QInputMethodEvent commit;
        commit.setCommitString(text);
        QApplication::sendEvent(editor.get(), &commit);
      },
      [this](const QString& text) {
        QApplication::clipboard()->setText(text);
        Key(Qt::Key_V, Qt::ControlModifier);
      },
  };
  for (std::size_t way = 0; way < std::size(ways); ++way) {
    SetUp();
    editor->SetText("keep");
    ways[way](QString::fromUtf8("日😀本"));
    EXPECT_EQ(Text(), "keep") << way;
    EXPECT_FALSE(editor->Modified()) << way;
    ASSERT_EQ(refused.size(), 1) << way;
    EXPECT_TRUE(refused[0].contains(QString::fromUtf8("😀"))) << refused[0].toStdString();
    refused.clear();
  }
}

TEST_F(EditorWidgetTest, JisFormsFromInputMethodsBecomeTheirTwins) {
  Type(QString::fromUtf8("〜‖−"));  // U+301C, U+2016, U+2212
  EXPECT_EQ(Text(), "\x81\x60\x81\x61\x81\x7C");
  EXPECT_TRUE(refused.isEmpty());
}

// --- Input methods -------------------------------------------------------------------------

TEST_F(EditorWidgetTest, PreeditIsShownButNotInTheTextUntilCommitted) {
  editor->SetText("ab");
  editor->SetRowCol(0, 1);
  QList<QInputMethodEvent::Attribute> attributes{{QInputMethodEvent::Cursor, 2, 1}};
  QInputMethodEvent preedit(QString::fromUtf8("にほ"), attributes);
  QApplication::sendEvent(editor.get(), &preedit);
  EXPECT_EQ(editor->PreeditText(), QString::fromUtf8("にほ"));
  EXPECT_EQ(editor->PreeditCursor(), 2);
  EXPECT_EQ(Text(), "ab");
  // The candidate window goes to the caret, past the pre-edit's cursor.
  const QRect caret = editor->inputMethodQuery(Qt::ImCursorRectangle).toRect();
  EXPECT_GT(caret.x(), editor->CaretRect().x());

  QInputMethodEvent commit;
  commit.setCommitString(QString::fromUtf8("日本"));
  QApplication::sendEvent(editor.get(), &commit);
  EXPECT_EQ(Text(), Sj("a日本b"));
  EXPECT_TRUE(editor->PreeditText().isEmpty());
  EXPECT_EQ(editor->Store().UndoObj().UndoList().size(), 1u);  // one step for the whole string
  EXPECT_EQ(At(), P(0, 5));
}

// A pre-edit as an input method sends it: the text, the formats of its
// segments, and the cursor (length 0 hides it, as during conversion).
void SendPreedit(QWidget* editor, const char* utf8, int cursor, bool cursorShown,
                 QList<QInputMethodEvent::Attribute> attributes = {}) {
  attributes.append({QInputMethodEvent::Cursor, cursor, cursorShown ? 1 : 0});
  QInputMethodEvent event(QString::fromUtf8(utf8), attributes);
  QApplication::sendEvent(editor, &event);
}

// The contrast ratio of two pixels by relative luminance.
double Contrast(QColor a, QColor b) {
  const auto luminance = [](QColor c) {
    const auto channel = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
  };
  const double la = luminance(a);
  const double lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TEST_F(EditorWidgetTest, TheSegmentBeingConvertedReadsOnItsBackground) {
  const struct {
    const char* name;
    QColor back, ink;  // as the input method gives them; ink may be missing
  } rows[] = {
      {"highlight without ink", editor->palette().color(QPalette::Highlight), QColor()},
      {"navy with black ink", QColor(0, 0, 0x80), QColor(0, 0, 0)},
  };
  for (const auto& row : rows) {
    QTextCharFormat selected;
    selected.setBackground(row.back);
    if (row.ink.isValid()) selected.setForeground(row.ink);
    QTextCharFormat other;
    other.setUnderlineStyle(QTextCharFormat::DashUnderline);
    SendPreedit(editor.get(), "明るく", 0, false,
                {{QInputMethodEvent::TextFormat, 0, 2, selected}, {QInputMethodEvent::TextFormat, 2, 1, other}});
    const QImage image = editor->viewport()->grab().toImage();
    // The glyphs of 明る (four cells) above the baseline: the commonest colour
    // is the segment's background, the strongest ink must read on it.
    const TEditorLayout& layout = editor->Layout();
    QHash<QRgb, int> counts;
    for (int x = layout.TextLeft(); x < qRound(layout.ColumnX(4, 0)); ++x)
      for (int y = layout.TextTop(); y < layout.TextTop() + layout.Ascent(); ++y) ++counts[image.pixel(x, y)];
    QRgb back = 0;
    for (auto it = counts.begin(); it != counts.end(); ++it)
      if (it.value() > counts.value(back)) back = it.key();
    double best = 1;
    for (auto it = counts.begin(); it != counts.end(); ++it) best = std::max(best, Contrast(it.key(), back));
    EXPECT_EQ(QColor(back), row.back) << row.name;
    EXPECT_GE(best, 4.5) << row.name;
  }
}

TEST_F(EditorWidgetTest, APreeditPushesTheRestOfTheRowRight) {
  editor->SetText(Sj("ひどい雨"));
  editor->SetRowCol(0, 0);
  SendPreedit(editor.get(), "あかるく", 4, false);
  const QImage composing = editor->viewport()->grab().toImage();
  QInputMethodEvent commit;
  commit.setCommitString(QString::fromUtf8("あかるく"));
  QApplication::sendEvent(editor.get(), &commit);
  editor->SetRowCol(0, 0);
  const QImage committed = editor->viewport()->grab().toImage();
  // ひどい雨 stands in columns 8..15 while composing, where the commit puts it.
  const TEditorLayout& layout = editor->Layout();
  const QRect after(qRound(layout.ColumnX(8, 0)) + 1, layout.TextTop(), qRound(8 * layout.CellWidth()) - 2,
                    layout.FontHeight() - 2);
  QImage blank(after.size(), committed.format());
  blank.fill(editor->TextColors().Back);
  EXPECT_FALSE(committed.copy(after) == blank);
  EXPECT_TRUE(composing.copy(after) == committed.copy(after));
}

TEST_F(EditorWidgetTest, TheViewFollowsThePreeditAndTheCandidatesOpenInsideIt) {
  const std::function<void()> setups[] = {
      [this] {  // scrolled away from the caret
        SetRows(100);
        editor->SetTopRow(50);
      },
      [this] {  // at the right edge with wrapping at the window edge
        TSEProperty property = editor->SEProperty();
        property.AutoWrap = true;
        editor->SetSEProperty(property);
        editor->SetWordWrap(true);
        editor->SetText(std::string(static_cast<std::size_t>(editor->WrapOption().WrapByte() - 1), 'a'));
        editor->SetRowCol(0, editor->WrapOption().WrapByte() - 1);
      },
      [this] {  // near the right edge without wrapping or a horizontal bar
        editor->SetScrollBars(false, true);
        editor->SetText(std::string(300, 'a'));
        editor->SetRowCol(0, editor->Layout().VisibleColumns() - 2);
      },
      [this] {  // on the half-visible last row
        SetRows(100);
        const TEditorLayout& layout = editor->Layout();
        const int wanted = layout.TextTop() + 5 * layout.RowHeight() + layout.RowHeight() / 2;
        editor->resize(editor->width(), editor->height() + wanted - editor->viewport()->height());
        editor->SetRowCol(5, 0);
        editor->SetTopRow(0);
      },
  };
  for (std::size_t i = 0; i < std::size(setups); ++i) {
    SetUp();
    setups[i]();
    SendPreedit(editor.get(), "あかるく", 3, true);
    const QRect cursor = editor->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    EXPECT_TRUE(editor->viewport()->geometry().contains(cursor))
        << i << ": " << cursor.x() << "," << cursor.y() << " " << cursor.width() << "x" << cursor.height();
    QInputMethodEvent cancel;  // Escape: the view may not stay past the scroll bar
    QApplication::sendEvent(editor.get(), &cancel);
    EXPECT_EQ(editor->TopCol(), editor->horizontalScrollBar()->value()) << i;
  }
}

TEST_F(EditorWidgetTest, ReconversionReplacesCharactersBeforeTheCaret) {
  editor->SetText(Sj("abc二本"));
  editor->SetRowCol(0, 7);
  QInputMethodEvent event;
  event.setCommitString(QString::fromUtf8("日本"), -2, 2);
  QApplication::sendEvent(editor.get(), &event);
  EXPECT_EQ(Text(), Sj("abc日本"));
}

TEST_F(EditorWidgetTest, SurroundingTextIsTheCaretRow) {
  editor->SetText(Sj("一行目\r\nあいう"));
  editor->SetRowCol(1, 4);
  EXPECT_EQ(editor->inputMethodQuery(Qt::ImSurroundingText).toString(), QString::fromUtf8("あいう"));
  EXPECT_EQ(editor->inputMethodQuery(Qt::ImCursorPosition).toInt(), 2);
}

// --- Clipboard ---------------------------------------------------------------------------------

TEST_F(EditorWidgetTest, CopyAndPasteUnicodeText) {
  editor->SetText(Sj("日本語\r\nabc"));
  editor->SelectAll();
  Key(Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text(), QString::fromUtf8("日本語\nabc"));
  Key(Qt::Key_End, Qt::ControlModifier);
  Key(Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(Text(), Sj("日本語\r\nabc日本語\r\nabc"));
  Key(Qt::Key_A, Qt::ControlModifier);
  Key(Qt::Key_X, Qt::ControlModifier);
  EXPECT_EQ(Text(), "");
}

TEST_F(EditorWidgetTest, BoxCopyCarriesItsFormatAndPastesAsABox) {
  editor->SetText("abcd\r\nefgh\r\nijkl\r\n");
  editor->SetSelectionMode(TSelectionMode::smBox);
  editor->SetRowCol(0, 1);
  Key(Qt::Key_Down, Qt::ShiftModifier);
  Key(Qt::Key_Right, Qt::ShiftModifier);
  Key(Qt::Key_Right, Qt::ShiftModifier);
  Key(Qt::Key_C, Qt::ControlModifier);
  const QMimeData* mime = QApplication::clipboard()->mimeData();
  ASSERT_TRUE(mime->hasFormat(kBoxMimeType));
  EXPECT_EQ(mime->data(kBoxMimeType).toStdString(), "bc\r\nfg\r\n");
  EXPECT_EQ(mime->text(), "bc\nfg\n");
  editor->SetSelectionMode(TSelectionMode::smNormal);
  editor->SetRowCol(1, 4);
  Key(Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(Text(), "abcd\r\nefghbc\r\nijklfg\r\n");
  EXPECT_EQ(editor->Store().UndoObj().UndoList().size(), 1u);
}

// --- Mouse -------------------------------------------------------------------------------------

TEST_F(EditorWidgetTest, ClickDragAndDoubleClick) {
  editor->SetText(Sj("今日はいい天気\r\nabc def"));
  QTest::mouseClick(editor->viewport(), Qt::LeftButton, Qt::NoModifier, CellPoint(1, 2));
  EXPECT_EQ(At(), P(1, 2));
  // A click on the right half of a full-width character goes after it.
  const TEditorLayout& layout = editor->Layout();
  const QPoint rightHalf(static_cast<int>(layout.ColumnX(1, 0) + layout.CellWidth() * 0.75), CellPoint(0, 0).y());
  QTest::mouseClick(editor->viewport(), Qt::LeftButton, Qt::NoModifier, rightHalf);
  EXPECT_EQ(At(), P(0, 2));
  QTest::mousePress(editor->viewport(), Qt::LeftButton, Qt::NoModifier, CellPoint(1, 0));
  QMouseEvent move(QEvent::MouseMove, QPointF(CellPoint(1, 3)), editor->viewport()->mapToGlobal(QPointF(CellPoint(1, 3))),
                   Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(editor->viewport(), &move);
  QTest::mouseRelease(editor->viewport(), Qt::LeftButton, Qt::NoModifier, CellPoint(1, 3));
  EXPECT_EQ(editor->SelText(), "abc");
  QTest::mouseDClick(editor->viewport(), Qt::LeftButton, Qt::NoModifier, CellPoint(0, 6));
  EXPECT_EQ(editor->SelText(), Sj("はいい"));
}

TEST_F(EditorWidgetTest, ShiftClickExtendsAndTheLeftBarSelectsRows) {
  editor->SetText("one\r\ntwo\r\nthree");
  editor->SetRowCol(0, 1);
  QTest::mouseClick(editor->viewport(), Qt::LeftButton, Qt::ShiftModifier, CellPoint(1, 2));
  EXPECT_EQ(editor->SelText(), "ne\r\ntw");
  const QPoint bar(editor->Layout().LeftbarLeft() + 2, CellPoint(1, 0).y());
  QTest::mouseClick(editor->viewport(), Qt::LeftButton, Qt::NoModifier, bar);
  EXPECT_EQ(editor->SelText(), "two\r\n");
  TEditorCaret caret = editor->Caret();
  caret.RowSelect = false;
  editor->SetCaret(caret);
  QTest::mouseClick(editor->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(bar.x(), CellPoint(2, 0).y()));
  EXPECT_EQ(editor->SelText(), "two\r\n");  // unchanged
}

TEST_F(EditorWidgetTest, WheelScrollsWithoutMovingTheCaret) {
  SetRows(100);
  QWheelEvent wheel(QPointF(50, 50), editor->viewport()->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, -120),
                    Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(editor->viewport(), &wheel);
  EXPECT_EQ(editor->TopRow(), QApplication::wheelScrollLines());
  EXPECT_EQ(At(), P(0, 0));
}

// --- Drag and drop -----------------------------------------------------------------------------

TEST_F(EditorWidgetTest, TextDroppedFromOutsideGoesInAtTheDropPoint) {
  editor->SetText("abcd");
  QMimeData mime;
  mime.setText(QString::fromUtf8("日本"));
  const QPointF at(CellPoint(0, 2));
  QDragEnterEvent enter(at.toPoint(), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(editor->viewport(), &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDragMoveEvent move(at.toPoint(), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(editor->viewport(), &move);
  EXPECT_EQ(editor->DropCaret(), QPoint(2, 0));
  QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(editor->viewport(), &drop);
  EXPECT_EQ(Text(), Sj("ab日本cd"));
  EXPECT_EQ(editor->DropCaret().y(), -1);
}

TEST_F(EditorWidgetTest, DroppedFilesGoToOnDropFilesOrToTheParent) {
  QMimeData mime;
  mime.setUrls({QUrl::fromLocalFile("/tmp/a.txt")});
  QDragEnterEvent refusedEnter(CellPoint(0, 0), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(editor->viewport(), &refusedEnter);
  EXPECT_FALSE(refusedEnter.isAccepted());  // the main window takes files
  QStringList dropped;
  editor->OnDropFiles = [&](TOleddEditor&, const QStringList& files, Qt::KeyboardModifiers) { dropped = files; };
  // Qt routes the drop to the widget that accepted the drag's entry.
  QDragEnterEvent enter(CellPoint(0, 0), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(editor->viewport(), &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(CellPoint(0, 0)), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(editor->viewport(), &drop);
  EXPECT_EQ(dropped, QStringList{"/tmp/a.txt"});
  EXPECT_EQ(Text(), "");
}

// --- View ----------------------------------------------------------------------------------------

TEST_F(EditorWidgetTest, LockScrollDecidesWhetherTheViewFollowsUpAndDown) {
  SetRows(100);
  const int visible = editor->Layout().VisibleRows();
  for (int i = 0; i < visible + 5; ++i) Key(Qt::Key_Down);
  EXPECT_EQ(editor->TopRow(), 6);  // followed
  TEditorCaret caret = editor->Caret();
  caret.LockScroll = false;
  editor->SetCaret(caret);
  for (int i = 0; i < 10; ++i) Key(Qt::Key_Down);
  EXPECT_EQ(editor->TopRow(), 6);  // stayed
  Type("x");                       // an edit brings the caret into view
  EXPECT_EQ(editor->TopRow(), 16);
}

TEST_F(EditorWidgetTest, PageKeysMoveViewAndCaretTogether) {
  SetRows(100);
  const int page = editor->Layout().VisibleRows();
  Key(Qt::Key_Down);
  Key(Qt::Key_PageDown);
  EXPECT_EQ(At(), P(1 + page, 0));
  EXPECT_EQ(editor->TopRow(), page);
  Key(Qt::Key_PageUp);
  EXPECT_EQ(At(), P(1, 0));
  EXPECT_EQ(editor->TopRow(), 0);
}

TEST_F(EditorWidgetTest, RowMarksFromTheKeyboard) {
  editor->SetText("a\r\nb\r\nc\r\n");
  editor->SetRowCol(2, 0);
  Key(Qt::Key_3, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(editor->Store().FirstRowWithMark(3), 2);
  editor->SetRowCol(0, 0);
  Key(Qt::Key_3, Qt::ControlModifier);
  EXPECT_EQ(editor->Row(), 2);
  Key(Qt::Key_3, Qt::ControlModifier | Qt::ShiftModifier);  // again: off
  EXPECT_EQ(editor->Store().FirstRowWithMark(3), -1);
}

// Records the viewport regions painted.
class TPaintRecorder : public QObject {
public:
  QRegion Painted;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) Painted += static_cast<QPaintEvent*>(event)->region();
    return false;
  }
};

TEST_F(EditorWidgetTest, TypingRepaintsOnlyTheChangedRows) {
  SetRows(20);
  editor->SetRowCol(5, 1);
  QApplication::processEvents();
  TPaintRecorder recorder;
  editor->viewport()->installEventFilter(&recorder);
  Type("x");
  QApplication::processEvents();
  editor->viewport()->removeEventFilter(&recorder);
  // The rows the store says it replaced, and nothing else.
  const TEditorUpdateInfo info = editor->Store().UpdateInfo();
  EXPECT_EQ(info.StartRow, 5);
  const QRect first = editor->Layout().RowRect(info.StartRow, editor->TopRow());
  const QRect last = editor->Layout().RowRect(info.StartRow + info.NewRowCount - 1, editor->TopRow());
  EXPECT_FALSE(recorder.Painted.isEmpty());
  EXPECT_TRUE(first.united(last).contains(recorder.Painted.boundingRect()))
      << recorder.Painted.boundingRect().top() << ".." << recorder.Painted.boundingRect().bottom();
  EXPECT_LT(info.NewRowCount, 3);
}

TEST_F(EditorWidgetTest, PaintsTextAndTheCaret) {
  editor->SetText(Sj("日本語の日記"));
  editor->SetRowCol(0, 4);
  QApplication::processEvents();
  const QImage image = editor->viewport()->grab().toImage();
  const TEditorLayout& layout = editor->Layout();
  const QColor back = editor->TextColors().Back;
  // Ink in the first character's cells.
  bool ink = false;
  for (int x = layout.TextLeft(); x < layout.TextLeft() + 2 * qRound(layout.CellWidth()); ++x)
    for (int y = layout.TextTop(); y < layout.TextTop() + layout.FontHeight(); ++y)
      ink = ink || image.pixelColor(x, y) != back;
  EXPECT_TRUE(ink);
  EXPECT_TRUE(editor->hasFocus());
  if (editor->hasFocus()) {
    const QRect caret = editor->CaretRect();
    EXPECT_EQ(image.pixelColor(caret.x(), caret.center().y()), editor->TextColors().Text);
  }
}

TEST_F(EditorWidgetTest, TheLineNumberBarWidensToItsLargestNumber) {
  // "Column" is 4 digits: line 10000 lost its first digit under the bar's
  // edge before the bar took the digits it has to show.
  TEditorLeftbar bar = editor->Leftbar();
  bar.Column = 4;
  editor->SetLeftbar(bar);
  const int narrow = editor->Layout().LeftbarWidth();
  std::string text;
  for (int i = 0; i < 10000; ++i) text += "x\r\n";
  editor->SetText(text);  // the caret may stand on line 10001
  QApplication::processEvents();
  const QFontMetricsF metrics(editor->font());
  EXPECT_GE(editor->Layout().LeftbarWidth() - bar.LeftMargin - bar.RightMargin,
            metrics.horizontalAdvance(QStringLiteral("10001")));
  editor->SetText("x");
  QApplication::processEvents();
  EXPECT_EQ(editor->Layout().LeftbarWidth(), narrow);  // never narrower than "Column"
}

TEST_F(EditorWidgetTest, FullWidthCharactersTakeTwoCells) {
  // The mapped font keeps the 2:1 ratio the column grid relies on.
  const QFontMetricsF metrics(editor->font());
  EXPECT_NEAR(metrics.horizontalAdvance(QString::fromUtf8("あ")), 2 * metrics.horizontalAdvance(QLatin1Char('a')), 0.5);
  EXPECT_NEAR(editor->Layout().CharWidth(), metrics.horizontalAdvance(QLatin1Char('a')), 0.01);
}

TEST_F(EditorWidgetTest, AutoWrapFollowsTheWindowWidth) {
  TSEProperty property = editor->SEProperty();
  property.AutoWrap = true;
  editor->SetSEProperty(property);
  editor->SetWordWrap(true);
  editor->resize(600, 300);
  QApplication::processEvents();
  const int wide = editor->WrapOption().WrapByte();
  editor->resize(400, 300);
  QApplication::processEvents();
  const int narrow = editor->WrapOption().WrapByte();
  EXPECT_LT(narrow, wide);
  // A = client width - text left - C div 2 - bar width; W = A / C - 1.
  const TEditorLayout& layout = editor->Layout();
  const int c = qRound(layout.CellWidth());
  const int client = editor->viewport()->width() + editor->verticalScrollBar()->width();
  const int a = client - layout.TextLeft() - c / 2 -
                editor->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, editor.get());
  EXPECT_EQ(narrow, std::clamp(a / c - 1, 20, 250));
  // A bigger font gives fewer columns.
  QFont font = editor->font();
  font.setPointSize(font.pointSize() * 2);
  editor->setFont(font);
  EXPECT_LT(editor->WrapOption().WrapByte(), narrow);
}

// A highlighter stand-in: bytes 4..9 of row 0 are a web address.
class TFakeLinks : public TFountainRowParser {
public:
  void RowTokens(int row, std::string_view, std::vector<TFountainToken>& tokens) override {
    if (row == 0) tokens.push_back({4, 10, TFountainStyle::Url});
  }
};

TEST_F(EditorWidgetTest, AddressesReportEnterExitAndClicks) {
  TFakeLinks links;
  editor->SetRowParser(&links);
  editor->SetText("see www.ab now");
  QSignalSpy enter(editor.get(), &TEditorSE::EnterURL);
  QSignalSpy exit(editor.get(), &TEditorSE::ExitURL);
  QSignalSpy clicked(editor.get(), &TEditorSE::LinkClicked);
  QTest::mouseMove(editor->viewport(), CellPoint(0, 5));
  QTest::mouseMove(editor->viewport(), CellPoint(0, 6));
  EXPECT_EQ(enter.count(), 1);
  QTest::mouseMove(editor->viewport(), CellPoint(0, 12));
  EXPECT_EQ(exit.count(), 1);
  QTest::mouseDClick(editor->viewport(), Qt::LeftButton, Qt::NoModifier, CellPoint(0, 5));
  ASSERT_EQ(clicked.count(), 1);
  EXPECT_EQ(clicked[0][0].toString(), "www.ab");
  EXPECT_FALSE(editor->Selected());  // the click went to the address
}

// A highlighter stand-in: bytes 2..8 of row 0 are a quoted string.
class TFakeTokens : public TFountainRowParser {
public:
  void RowTokens(int row, std::string_view, std::vector<TFountainToken>& tokens) override {
    if (row == 0) tokens.push_back({2, 9, TFountainStyle::Str});
  }
};

TEST_F(EditorWidgetTest, TokenColoursArePaintedAndADoubleClickCanTakeAToken) {
  TFakeTokens tokens;
  editor->SetRowParser(&tokens);
  TTokenLooks looks;
  TTokenLook blue;
  blue.Color = QColor(0, 0, 255);
  looks.Set(TFountainStyle::Str, blue);
  editor->SetTokenLooks(looks);
  editor->SetText("a \"quoted\" b");
  QApplication::processEvents();
  const QImage image = editor->viewport()->grab().toImage();
  const TEditorLayout& layout = editor->Layout();
  const auto blueIn = [&](int fromColumn, int toColumn) {
    for (int x = qRound(layout.ColumnX(fromColumn, 0)); x < qRound(layout.ColumnX(toColumn, 0)); ++x)
      for (int y = layout.TextTop(); y < layout.TextTop() + layout.FontHeight(); ++y) {
        const QColor c = image.pixelColor(x, y);
        if (c.blue() > 128 && c.red() < 100) return true;
      }
    return false;
  };
  EXPECT_TRUE(blueIn(3, 9));    // the token's letters
  EXPECT_FALSE(blueIn(11, 12)); // "b" keeps the plain colour

  TSEProperty property = editor->SEProperty();
  property.SelTokenDblClick = true;
  editor->SetSEProperty(property);
  QTest::mouseDClick(editor->viewport(), Qt::LeftButton, Qt::NoModifier, CellPoint(0, 4));
  EXPECT_EQ(editor->SelText(), "\"quoted");
}

}  // namespace
}  // namespace quillet
