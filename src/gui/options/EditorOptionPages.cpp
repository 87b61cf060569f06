// The editor group of the options dialog: display, editing, behaviour,
// colours, wrap rules, line-number bar and ruler, and the reserved words.
//
// Every control maps to a key of sections "Edit" and "Color" with the value
// rule its running reader applies (gui/editor/EditorSettings.cpp,
// core/editor/FountainSettings.cpp, core/editor/EditorWrapOption.cpp). A
// control shows a stored value outside its range at the nearest value it
// has; as long as the user leaves that control alone, Write puts back the
// stored value itself, so opening and applying the dialog never changes a
// setting the user did not touch. Texts of the settings file are code page
// 932: a text the code page cannot hold is refused by Check rather than
// stored damaged.
//
// The reserved words are the file "Reserve.txt" of the options folder, read
// when the dialog opens and replaced atomically by WriteFiles when the list
// was changed. A word file that exists but cannot be read is never
// replaced: the page says so and its list cannot be edited.
#include "gui/options/EditorOptionPages.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <QVBoxLayout>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <functional>

#include "core/app/HIniFile.h"
#include "core/app/SettingsKeys.h"
#include "core/base/AtomicFile.h"
#include "core/base/CodePage.h"
#include "core/editor/EditorColumns.h"
#include "core/editor/EditorWrapOption.h"
#include "core/editor/ReserveWordList.h"
#include "gui/app/UMain.h"
#include "gui/editor/EditorColors.h"
#include "gui/options/FmOption.h"
#include "gui/options/OptionPageGroup.h"
#include "gui/options/OptionWidgets.h"

namespace quillet {

namespace {

QColor AskColor(const QColor& initial, QWidget* parent) {
  return QColorDialog::getColor(initial, parent, QString(), QColorDialog::ColorDialogOptions());
}

// The editor colour list, in the order the page shows it.
const struct {
  const char* name;
  const TColorKey* key;
} kEditorColors[TEditorColorList::kCount] = {
    {"文字列", &keys::ColorString},   {"反転文字列", &keys::ColorSelString}, {"背景", &keys::ColorBack},
    {"選択背景", &keys::ColorSelBack}, {"EOF", &keys::ColorEOF},             {"改行", &keys::ColorRet},
    {"半角空白", &keys::ColorSpace},   {"全角空白", &keys::ColorDblSpace},   {"タブ", &keys::ColorTab},
    {"現在行下線", &keys::ColorUnderLine}, {"URL", &keys::ColorURL},         {"Mail", &keys::ColorMail},
};

QIcon Swatch(TColorRef color) {
  QPixmap pixmap(28, 14);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  const QColor fill = ToQColor(color, QApplication::palette());
  painter.setPen(QApplication::palette().color(QPalette::WindowText));
  if (fill.isValid()) {
    painter.fillRect(pixmap.rect().adjusted(0, 0, -1, -1), fill);
  } else {
    // No colour of its own (clNone): the editor's colour shows through.
    painter.drawLine(0, pixmap.height() - 1, pixmap.width() - 1, 0);
  }
  painter.drawRect(pixmap.rect().adjusted(0, 0, -1, -1));
  return QIcon(pixmap);
}

QString Utf16(std::string_view cp932) {
  std::u16string text;
  ToUtf16(cp932, text);  // a byte the code page does not map shows as U+FFFD
  return QString::fromStdU16String(text);
}

// `text` as code page 932 bytes of the settings file; false for a character
// the code page cannot hold or a control character (a line end or NUL would
// cut the stored line).
bool StorableText(const QString& text, std::string& bytes, QChar& bad) {
  for (QChar c : text) {
    if (c.unicode() < 0x20 || c.unicode() == 0x7F) {
      bad = c;
      return false;
    }
  }
  std::size_t badIndex = 0;
  if (FromUtf16(text.toStdU16String(), bytes, &badIndex)) return true;
  bad = text.at(static_cast<qsizetype>(badIndex));
  return false;
}

QString Shown(QChar c) {
  if (c.unicode() < 0x20 || c.unicode() == 0x7F)
    return QStringLiteral("U+%1").arg(static_cast<uint>(c.unicode()), 4, 16, QChar('0'));
  if (c.isSurrogate()) return QStringLiteral("絵文字など");
  return QString(c);
}

// Draws the selected row of the word list in the reserved-word style.
class TReserveDelegate : public QStyledItemDelegate {
public:
  explicit TReserveDelegate(TReserveWordView& view) : QStyledItemDelegate(&view), m_view(view) {}

protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    if (!(option->state & QStyle::State_Selected)) return;
    const int style = m_view.SelectedStyle();
    option->font.setBold(style == 1);
    option->font.setItalic(style == 2);
    option->font.setUnderline(style == 3);
    // The highlight colour whether or not the list has the focus.
    option->palette.setCurrentColorGroup(QPalette::Active);
    option->state |= QStyle::State_Active;
  }

private:
  TReserveWordView& m_view;
};

}  // namespace

// ---------------------------------------------------------------------------

TEditorColorList::TEditorColorList(QWidget* parent) : QListWidget(parent), m_picker(AskColor) {
  setObjectName("EditColorList");
  setIconSize(QSize(28, 14));
  for (int i = 0; i < kCount; ++i) {
    addItem(QString::fromUtf8(kEditorColors[i].name));
    SetColor(i, kEditorColors[i].key->def);
  }
}

void TEditorColorList::SetColor(int index, TColorRef color) {
  m_colors.at(static_cast<std::size_t>(index)) = color;
  item(index)->setIcon(Swatch(color));
}

void TEditorColorList::SetColorPicker(TColorLabelSE::TColorPicker picker) {
  m_picker = picker ? std::move(picker) : TColorLabelSE::TColorPicker(AskColor);
}

bool TEditorColorList::ChangeSelected() {
  const int index = currentRow();
  if (index < 0 || !currentItem() || !currentItem()->isSelected()) return false;
  const QColor chosen = m_picker(ToQColor(Color(index), QApplication::palette()), this);
  if (!chosen.isValid()) return false;
  SetColor(index, ColorRefOf(chosen));
  return true;
}

// ---------------------------------------------------------------------------

namespace {
constexpr int kStoredRole = Qt::UserRole;
}

TReserveWordView::TReserveWordView(QWidget* parent) : QTreeWidget(parent) {
  setObjectName("ReserveList");
  setRootIsDecorated(false);
  setUniformRowHeights(true);
  setHeaderLabels({QStringLiteral("予約語")});
  setSelectionMode(QAbstractItemView::SingleSelection);
  setItemDelegate(new TReserveDelegate(*this));
  m_ascending.assign(static_cast<std::size_t>(columnCount()), true);
  header()->setSectionsClickable(true);
  connect(header(), &QHeaderView::sectionClicked, this, [this](int column) {
    if (column < 0 || column >= static_cast<int>(m_ascending.size())) return;
    const bool ascending = m_ascending[static_cast<std::size_t>(column)];
    sortItems(column, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
    m_ascending[static_cast<std::size_t>(column)] = !ascending;
  });
}

void TReserveWordView::AddWord(const QString& shown, const QByteArray& stored) {
  auto* row = new QTreeWidgetItem(this, QStringList{shown});
  row->setData(0, kStoredRole, stored);
}

std::vector<QByteArray> TReserveWordView::Words() const {
  std::vector<QByteArray> words;
  words.reserve(static_cast<std::size_t>(topLevelItemCount()));
  for (int i = 0; i < topLevelItemCount(); ++i) words.push_back(topLevelItem(i)->data(0, kStoredRole).toByteArray());
  return words;
}

void TReserveWordView::SetSelectedStyle(int style) {
  m_style = style;
  viewport()->update();
}

void TReserveWordView::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier) {
    emit DeleteRequested();
    event->accept();
    return;
  }
  QTreeWidget::keyPressEvent(event);
}

// ---------------------------------------------------------------------------

namespace {

// A control bound to an integer key. `toShown` turns the stored value into
// the control's (a combo index or a clamped number); `toStored` turns the
// control's value back. `raw`/`shown` remember what Load found.
struct TIntControl {
  const TIntKey* key = nullptr;
  QSpinBox* spin = nullptr;
  QComboBox* combo = nullptr;
  std::function<int(int)> toShown;
  std::function<int(int)> toStored;
  int raw = 0;
  int shown = 0;

  int Value() const { return spin ? spin->value() : combo->currentIndex(); }
  void Load(const THIniFile& ini) {
    raw = key->Read(ini);
    shown = toShown(raw);
    if (spin) spin->setValue(shown);
    if (combo) combo->setCurrentIndex(shown);
  }
  void Write(THIniFile& ini) const { key->Write(ini, Value() == shown ? raw : toStored(Value())); }
};

struct TTextControl {
  const TTextKey* key;
  QLineEdit* edit;
  const char* caption;  // for messages
  std::string raw;
  QString shown;
};

class TEditorOptionPages : public TOptionPageGroup {
public:
  TEditorOptionPages(TFmMain& main, QWidget* dialog);

  std::vector<std::pair<int, QWidget*>> Pages() const override { return m_pages; }
  void Load(const THIniFile& ini) override;
  QString Check() const override;
  void Write(THIniFile& ini) const override;
  QString WriteFiles() override;

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  QWidget* BuildShowPage();
  QWidget* BuildEditPage();
  QWidget* BuildActionPage();
  QWidget* BuildColorPage();
  QWidget* BuildWrapPage();
  QWidget* BuildLeftRulerPage();
  QWidget* BuildReservePage();

  QCheckBox* Flag(QWidget* parent, const TFlagKey& key, const char* caption);
  QSpinBox* Spin(QWidget* parent, const TIntKey& key, int min, int max);
  QComboBox* Combo(QWidget* parent, const TIntKey& key, std::initializer_list<const char*> items,
                   std::function<int(int)> toShown, std::function<int(int)> toStored);
  TColorLabelSE* ColorLabel(QWidget* parent, const TColorKey& key);
  QLineEdit* Text(QWidget* parent, const TTextKey& key, const char* caption);

  void LoadReserveFile();
  void AddReserveWord();
  void DeleteReserveWord();
  void Say(const QString& text) const;
  std::string ReservePath() const { return m_main.OptionFolder() + std::string(kReserveFileName); }

  TFmMain& m_main;
  QWidget* m_dialog;
  std::vector<std::pair<int, QWidget*>> m_pages;

  std::vector<std::pair<const TFlagKey*, QCheckBox*>> m_flags;
  std::vector<TIntControl> m_ints;
  std::vector<std::pair<const TColorKey*, TColorLabelSE*>> m_colorLabels;
  std::vector<TTextControl> m_texts;
  TEditorColorList* m_colorList = nullptr;
  QComboBox* m_clickable = nullptr;  // "ClickableType": true for a single click

  TReserveWordView* m_reserveList = nullptr;
  QLineEdit* m_reserveEdit = nullptr;
  QLabel* m_reserveNote = nullptr;
  QPushButton* m_reserveAdd = nullptr;
  QPushButton* m_reserveDelete = nullptr;
  std::vector<QByteArray> m_reserveSaved;  // the words as the file holds them
  bool m_reserveReadable = true;
};

TEditorOptionPages::TEditorOptionPages(TFmMain& main, QWidget* dialog)
    : TOptionPageGroup(dialog), m_main(main), m_dialog(dialog) {
  m_pages = {{opEditShow, BuildShowPage()},   {opEditEdit, BuildEditPage()},
             {opEditAction, BuildActionPage()}, {opEditColor, BuildColorPage()},
             {opEditWrap, BuildWrapPage()},   {opEditLeftRuler, BuildLeftRulerPage()},
             {opEditReserve, BuildReservePage()}};
}

void TEditorOptionPages::Say(const QString& text) const {
  if (auto* dialog = qobject_cast<TFmOption*>(m_dialog); dialog && dialog->showMessage)
    dialog->showMessage(text);
}

QCheckBox* TEditorOptionPages::Flag(QWidget* parent, const TFlagKey& key, const char* caption) {
  QCheckBox* box = MakeCheck(parent, "", QString::fromUtf8(caption));
  box->setObjectName(QString::fromLatin1(key.key.data(), static_cast<qsizetype>(key.key.size())));
  m_flags.emplace_back(&key, box);
  return box;
}

QSpinBox* TEditorOptionPages::Spin(QWidget* parent, const TIntKey& key, int min, int max) {
  auto* spin = new QSpinBox(parent);
  spin->setObjectName(QString::fromLatin1(key.key.data(), static_cast<qsizetype>(key.key.size())));
  spin->setRange(min, max);
  spin->setMaximumWidth(100);
  TIntControl control;
  control.key = &key;
  control.spin = spin;
  control.toShown = [min, max](int v) { return std::clamp(v, min, max); };
  control.toStored = [](int v) { return v; };
  m_ints.push_back(std::move(control));
  return spin;
}

QComboBox* TEditorOptionPages::Combo(QWidget* parent, const TIntKey& key, std::initializer_list<const char*> items,
                                     std::function<int(int)> toShown, std::function<int(int)> toStored) {
  QComboBox* combo = MakeCombo(parent, "", items);
  combo->setObjectName(QString::fromLatin1(key.key.data(), static_cast<qsizetype>(key.key.size())));
  combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  TIntControl control;
  control.key = &key;
  control.combo = combo;
  control.toShown = std::move(toShown);
  control.toStored = std::move(toStored);
  m_ints.push_back(std::move(control));
  return combo;
}

TColorLabelSE* TEditorOptionPages::ColorLabel(QWidget* parent, const TColorKey& key) {
  auto* label = new TColorLabelSE(parent);
  label->setObjectName(QString::fromLatin1(key.key.data(), static_cast<qsizetype>(key.key.size())));
  label->SetFontColor(key.def);
  m_colorLabels.emplace_back(&key, label);
  return label;
}

QLineEdit* TEditorOptionPages::Text(QWidget* parent, const TTextKey& key, const char* caption) {
  QLineEdit* edit = MakeEdit(parent, "");
  edit->setObjectName(QString::fromLatin1(key.key.data(), static_cast<qsizetype>(key.key.size())));
  m_texts.push_back({&key, edit, caption, {}, {}});
  return edit;
}

// A form whose fields keep their natural width: a combo box the width of
// the page would hide which part of it is the control.
QFormLayout* CompactForm(QWidget* parent = nullptr) {
  auto* form = new QFormLayout(parent);
  form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
  return form;
}

// Two columns of switches keep the pages short enough for a small screen.
void AddInColumns(QGridLayout* grid, const std::vector<QWidget*>& boxes) {
  const int rows = static_cast<int>((boxes.size() + 1) / 2);
  for (int i = 0; i < static_cast<int>(boxes.size()); ++i)
    grid->addWidget(boxes[static_cast<std::size_t>(i)], i % rows, i / rows);
}

QWidget* TEditorOptionPages::BuildShowPage() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  auto* grid = new QGridLayout;
  AddInColumns(grid, {Flag(page, keys::ShowEOF, "EOFマークを表示する(&E)"),
                      Flag(page, keys::ShowLeftBar, "行番号を表示する(&L)"),
                      Flag(page, keys::ShowRuler, "ルーラーを表示する(&R)"),
                      Flag(page, keys::ShowRet, "改行マークを表示する(&N)"),
                      Flag(page, keys::ShowSpace, "半角空白を表示する(&S)"),
                      Flag(page, keys::ShowDblSpace, "全角空白を表示する(&W)"),
                      Flag(page, keys::ShowTab, "タブを表示する(&T)"),
                      Flag(page, keys::ShowUnderLine, "現在行に下線を表示する(&U)"),
                      Flag(page, keys::ShowDoubleBuf, "ダブルバッファで描画する(&D)")});
  layout->addLayout(grid);
  // 0 shows the bar, any other value hides it.
  const auto shown = [](int v) { return v == 0 ? 0 : 1; };
  const auto stored = [](int index) { return index; };
  auto* form = CompactForm();
  QComboBox* h = Combo(page, keys::HScrollBar, {"常に表示", "常に非表示"}, shown, stored);
  form->addRow(MakeLabel(page, "水平スクロールバー(&H)", h), h);
  QComboBox* v = Combo(page, keys::VScrollBar, {"常に表示", "常に非表示"}, shown, stored);
  form->addRow(MakeLabel(page, "垂直スクロールバー(&V)", v), v);
  layout->addLayout(form);
  layout->addStretch();
  return page;
}

QWidget* TEditorOptionPages::BuildEditPage() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  auto* form = CompactForm();
  // Below 64 the editor keeps 64 steps all the same (TEditorUndoObj).
  QSpinBox* undo = Spin(page, keys::UndoBuf, 64, 99999);
  form->addRow(MakeLabel(page, "アンドゥバッファ(&U)", undo), undo);
  // The width itself is stored; the editor takes 2..8, even (ClampTabWidth).
  QComboBox* tab = Combo(page, keys::TabCount, {"2", "4", "6", "8"},
                         [](int v) { return ClampTabWidth(v) / 2 - 1; }, [](int index) { return (index + 1) * 2; });
  form->addRow(MakeLabel(page, "タブ幅(&T)", tab), tab);
  QSpinBox* wrap = Spin(page, keys::WrapByte, TEditorWrapOption::kMinWrapByte, TEditorWrapOption::kMaxWrapByte);
  form->addRow(MakeLabel(page, "折り返し桁数(&W)", wrap), wrap);
  // Margins are pixels; the editor takes negative ones as 0.
  QSpinBox* left = Spin(page, keys::LeftMargin, 0, 200);
  form->addRow(MakeLabel(page, "左余白(&L)", left), left);
  QSpinBox* top = Spin(page, keys::TopMargin, 0, 200);
  form->addRow(MakeLabel(page, "上余白(&P)", top), top);
  QSpinBox* line = Spin(page, keys::LineMargin, 0, 100);
  form->addRow(MakeLabel(page, "行間(&I)", line), line);
  QSpinBox* character = Spin(page, keys::CharacterMargin, 0, 100);
  form->addRow(MakeLabel(page, "文字間(&R)", character), character);
  // The program takes the absolute value of a negative count.
  QSpinBox* history = Spin(page, keys::History, 0, 999);
  m_ints.back().toShown = [](int v) { return std::min(v == INT_MIN ? 999 : std::abs(v), 999); };
  form->addRow(MakeLabel(page, "検索・置換の履歴数(&H)", history), history);
  layout->addLayout(form);
  layout->addStretch();
  return page;
}

QWidget* TEditorOptionPages::BuildActionPage() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  for (QCheckBox* box : {Flag(page, keys::AutoIndent, "オートインデント(&I)"),
                      Flag(page, keys::BackSpaceUnIndent, "BackSpaceでインデントを戻す(&B)"),
                      Flag(page, keys::FreeCaret, "行末より後ろにキャレットを置く(&F)"),
                      Flag(page, keys::KeepCaret, "上下移動でキャレットの桁を保つ(&K)"),
                      Flag(page, keys::LockScroll, "行移動の際にキャレットを追尾させる(&L)"),
                      Flag(page, keys::NextLine, "文頭、文末での「←」「→」キーで行を移動する(&N)"),
                      Flag(page, keys::RowSelect, "行選択を有効にする(&R)"),
                      Flag(page, keys::SelMove, "ドラッグ＆ドロップでの編集を有効にする(&D)"),
                      Flag(page, keys::SoftTab, "タブの代わりに空白を入力する(&S)"),
                      Flag(page, keys::TabIndent, "インデントにタブを使う(&T)"),
                      Flag(page, keys::URL, "URLを強調表示する(&U)"),
                      Flag(page, keys::Mail, "メールアドレスを強調表示する(&M)")})
    layout->addWidget(box);
  auto* form = CompactForm();
  // The flag is true for a single click.
  m_clickable = MakeCombo(page, "ClickableType", {"シングルクリック", "ダブルクリック"});
  m_clickable->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  form->addRow(MakeLabel(page, "リンクを開く操作(&E)", m_clickable), m_clickable);
  layout->addLayout(form);
  layout->addStretch();
  return page;
}

QWidget* TEditorOptionPages::BuildColorPage() {
  auto* page = new QWidget;
  auto* layout = new QGridLayout(page);
  m_colorList = new TEditorColorList(page);
  m_colorList->setMaximumWidth(260);
  auto* change = new QPushButton("変更(&H)", page);
  change->setObjectName("EditColorButton");
  change->setEnabled(false);
  auto* name = new QLabel(page);
  name->setObjectName("EditColorName");
  connect(m_colorList, &QListWidget::itemSelectionChanged, this, [this, change, name] {
    QListWidgetItem* item = m_colorList->currentItem();
    const bool selected = item && item->isSelected();
    change->setEnabled(selected);
    name->setText(selected ? item->text() : QString());
  });
  connect(change, &QPushButton::clicked, this, [this] { m_colorList->ChangeSelected(); });
  connect(m_colorList, &QListWidget::itemActivated, this, [this] { m_colorList->ChangeSelected(); });
  layout->addWidget(MakeLabel(page, "配色(&L)", m_colorList), 0, 0);
  layout->addWidget(m_colorList, 1, 0, 3, 1);
  layout->addWidget(name, 1, 1);
  layout->addWidget(change, 2, 1, Qt::AlignLeft);
  layout->setRowStretch(3, 1);
  layout->setColumnStretch(1, 1);
  return page;
}

QWidget* TEditorOptionPages::BuildWrapPage() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(Flag(page, keys::FollowRet, "改行マークを行末にぶら下げる(&R)"));
  QCheckBox* punctuation = Flag(page, keys::FollowPunctuation, "句読点をぶら下げる(&P)");
  layout->addWidget(punctuation);
  auto* form = new QFormLayout;
  QLineEdit* hanging = Text(page, keys::PunctuationStr, "ぶら下げる文字");
  form->addRow(MakeLabel(page, "ぶら下げる文字(&G)", hanging), hanging);
  layout->addLayout(form);
  QCheckBox* leading = Flag(page, keys::Leading, "行頭・行末の禁則処理を行う(&K)");
  layout->addWidget(leading);
  auto* rules = new QFormLayout;
  QLineEdit* follow = Text(page, keys::FollowStr, "行頭禁則文字");
  rules->addRow(MakeLabel(page, "行頭禁則文字(&F)", follow), follow);
  QLineEdit* lead = Text(page, keys::LeadStr, "行末禁則文字");
  rules->addRow(MakeLabel(page, "行末禁則文字(&E)", lead), lead);
  layout->addLayout(rules);
  layout->addWidget(Flag(page, keys::WordBreak, "半角の単語を区切り文字で折り返す(&W)"));
  layout->addStretch();
  // The character sets count only while their rule is on.
  connect(punctuation, &QCheckBox::toggled, hanging, &QWidget::setEnabled);
  connect(leading, &QCheckBox::toggled, follow, &QWidget::setEnabled);
  connect(leading, &QCheckBox::toggled, lead, &QWidget::setEnabled);
  return page;
}

QWidget* TEditorOptionPages::BuildLeftRulerPage() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  // "LeftBarBkColor"/"RulerBkColor" on: no background of the bar's own.
  const auto sameAsEditor = [](QCheckBox* box, TColorLabelSE* back) {
    QObject::connect(box, &QCheckBox::toggled, back, [back](bool on) { back->setEnabled(!on); });
  };

  auto* bar = new QGroupBox("行番号", page);
  auto* barForm = CompactForm(bar);
  TColorLabelSE* barColor = ColorLabel(bar, keys::ColorLeftBar);
  barForm->addRow(MakeLabel(bar, "文字色(&T)", barColor), barColor);
  TColorLabelSE* barBack = ColorLabel(bar, keys::ColorLeftBarBk);
  barForm->addRow(MakeLabel(bar, "背景色(&B)", barBack), barBack);
  QCheckBox* barSame = Flag(bar, keys::LeftBarBkColor, "背景色をエディタの背景色に合わせる(&S)");
  sameAsEditor(barSame, barBack);
  barForm->addRow(barSame);
  auto* barGrid = new QGridLayout;
  AddInColumns(barGrid, {Flag(bar, keys::ZeroBase, "0から数える(&Z)"), Flag(bar, keys::ZeroLead, "先頭を0で埋める(&L)"),
                         Flag(bar, keys::LeftEdge, "境界線を引く(&E)")});
  barForm->addRow(barGrid);
  // The bar shows the stored value + 1 digits.
  QComboBox* column = Combo(bar, keys::Column, {"1", "2", "3", "4", "5", "6", "7", "8"},
                            [](int v) { return std::clamp(v, 0, 7); }, [](int index) { return index; });
  barForm->addRow(MakeLabel(bar, "初期桁数(&N)", column), column);
  layout->addWidget(bar);

  auto* ruler = new QGroupBox("ルーラー", page);
  auto* rulerForm = CompactForm(ruler);
  TColorLabelSE* rulerColor = ColorLabel(ruler, keys::ColorRuler);
  rulerForm->addRow(MakeLabel(ruler, "文字色(&U)", rulerColor), rulerColor);
  TColorLabelSE* rulerBack = ColorLabel(ruler, keys::ColorRulerBk);
  rulerForm->addRow(MakeLabel(ruler, "背景色(&K)", rulerBack), rulerBack);
  TColorLabelSE* mark = ColorLabel(ruler, keys::ColorRulerGaugeRange);
  rulerForm->addRow(MakeLabel(ruler, "キャレット位置の色(&M)", mark), mark);
  QCheckBox* rulerSame = Flag(ruler, keys::RulerBkColor, "背景色をエディタの背景色に合わせる(&I)");
  sameAsEditor(rulerSame, rulerBack);
  rulerForm->addRow(rulerSame);
  rulerForm->addRow(Flag(ruler, keys::RulerEdge, "境界線を引く(&D)"));
  // 0: a gauge every 8 columns, any other value every 10.
  QComboBox* gauge = Combo(ruler, keys::GaugeRange, {"8", "10"}, [](int v) { return v == 0 ? 0 : 1; },
                           [](int index) { return index; });
  rulerForm->addRow(MakeLabel(ruler, "目盛りの間隔(&G)", gauge), gauge);
  layout->addWidget(ruler);
  layout->addStretch();
  return page;
}

QWidget* TEditorOptionPages::BuildReservePage() {
  auto* page = new QWidget;
  auto* layout = new QGridLayout(page);
  m_reserveNote = new QLabel(page);
  m_reserveNote->setObjectName("ReserveNote");
  m_reserveNote->setWordWrap(true);
  m_reserveNote->hide();
  m_reserveList = new TReserveWordView(page);
  m_reserveList->setMinimumHeight(120);
  m_reserveEdit = MakeEdit(page, "ReserveEdit");
  auto* add = m_reserveAdd = new QPushButton("追加(&I)", page);
  add->setObjectName("ReserveAddButton");
  auto* remove = m_reserveDelete = new QPushButton("削除(&D)", page);
  remove->setObjectName("ReserveDeleteButton");
  connect(add, &QPushButton::clicked, this, [this] { AddReserveWord(); });
  // Enter in the field adds the word and goes no further: the dialog's
  // default button would otherwise take it as OK and close the dialog.
  m_reserveEdit->installEventFilter(this);
  connect(remove, &QPushButton::clicked, this, [this] { DeleteReserveWord(); });
  connect(m_reserveList, &TReserveWordView::DeleteRequested, this, [this] { DeleteReserveWord(); });
  connect(m_reserveList, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* row) {
    if (row) m_reserveEdit->setText(row->text(0));
  });

  auto* looks = CompactForm();
  TColorLabelSE* color = ColorLabel(page, keys::ColorReserveStr);
  looks->addRow(MakeLabel(page, "文字色(&T)", color), color);
  TColorLabelSE* back = ColorLabel(page, keys::ColorReserveBack);
  looks->addRow(MakeLabel(page, "背景色(&B)", back), back);
  QCheckBox* same = Flag(page, keys::ReserveBk, "背景色をエディタの背景色に合わせる(&S)");
  connect(same, &QCheckBox::toggled, back, [back](bool on) { back->setEnabled(!on); });
  looks->addRow(same);
  // 1 bold, 2 italic, 3 underline, any other value plain.
  QComboBox* style = Combo(page, keys::ReserveStyle, {"通常", "太字", "イタリック", "下線"},
                           [](int v) { return v >= 0 && v <= 3 ? v : 0; }, [](int index) { return index; });
  connect(style, &QComboBox::currentIndexChanged, m_reserveList, &TReserveWordView::SetSelectedStyle);
  looks->addRow(MakeLabel(page, "スタイル(&Y)", style), style);

  layout->addWidget(m_reserveNote, 0, 0, 1, 3);
  layout->addWidget(MakeLabel(page, "予約語(&R)", m_reserveList), 1, 0, 1, 3);
  layout->addWidget(m_reserveList, 2, 0, 1, 3);
  layout->addWidget(MakeLabel(page, "語(&W)", m_reserveEdit), 3, 0);
  layout->addWidget(m_reserveEdit, 3, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(add);
  buttons->addWidget(remove);
  layout->addLayout(buttons, 3, 2);
  layout->addLayout(looks, 4, 0, 1, 3);
  layout->setRowStretch(2, 1);
  layout->setColumnStretch(1, 1);
  QWidget::setTabOrder(m_reserveList, m_reserveEdit);
  QWidget::setTabOrder(m_reserveEdit, add);
  QWidget::setTabOrder(add, remove);
  QWidget::setTabOrder(remove, color);
  return page;
}

bool TEditorOptionPages::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_reserveEdit && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      AddReserveWord();
      return true;
    }
  }
  return TOptionPageGroup::eventFilter(watched, event);
}

void TEditorOptionPages::AddReserveWord() {
  const QString word = m_reserveEdit->text();
  if (word.isEmpty() || !m_reserveReadable) return;
  std::string bytes;
  QChar bad;
  if (!StorableText(word, bytes, bad)) {
    Say(QStringLiteral("予約語に保存できない文字があります: ") + Shown(bad));
    return;
  }
  // The highlighter would cut a longer word.
  if (bytes.size() > kReserveWordMax) {
    Say(QStringLiteral("予約語が長すぎます（%1バイトまで）").arg(kReserveWordMax));
    return;
  }
  m_reserveList->AddWord(word, QByteArray::fromStdString(bytes));
}

void TEditorOptionPages::DeleteReserveWord() {
  QTreeWidgetItem* row = m_reserveList->currentItem();
  if (!row || !row->isSelected() || !m_reserveReadable) return;
  delete row;
}

void TEditorOptionPages::LoadReserveFile() {
  m_reserveList->clear();
  m_reserveSaved.clear();
  std::string bytes;
  m_reserveReadable = ReadFileBytes(ReservePath(), bytes) || errno == ENOENT || errno == ENOTDIR;
  if (!m_reserveReadable) {
    m_reserveNote->setText(QStringLiteral("%1 を読み込めないため、予約語は変更できません（ファイルはそのまま残します）")
                               .arg(QString::fromStdString(ReservePath())));
    m_reserveNote->show();
    for (QWidget* control : std::initializer_list<QWidget*>{m_reserveList, m_reserveEdit, m_reserveAdd, m_reserveDelete})
      control->setEnabled(false);
    return;
  }
  // Every non-empty line as the file holds it, so an untouched word is
  // written back byte for byte.
  for (std::string_view line : SplitLines(bytes)) {
    if (line.empty()) continue;
    m_reserveList->AddWord(Utf16(line), QByteArray(line.data(), static_cast<qsizetype>(line.size())));
    m_reserveSaved.emplace_back(line.data(), static_cast<qsizetype>(line.size()));
  }
}

void TEditorOptionPages::Load(const THIniFile& ini) {
  for (const auto& [key, box] : m_flags) box->setChecked(key->Read(ini));
  for (TIntControl& control : m_ints) control.Load(ini);
  for (const auto& [key, label] : m_colorLabels) label->SetFontColor(key->Read(ini));
  for (TTextControl& text : m_texts) {
    text.raw = text.key->Read(ini);
    text.shown = Utf16(text.raw);
    text.edit->setText(text.shown);
  }
  for (int i = 0; i < TEditorColorList::kCount; ++i) m_colorList->SetColor(i, kEditorColors[i].key->Read(ini));
  m_clickable->setCurrentIndex(keys::ClickableType.Read(ini) ? 0 : 1);
  // The switches' dependants follow the loaded state.
  for (const auto& [key, box] : m_flags) emit box->toggled(box->isChecked());
  LoadReserveFile();
}

QString TEditorOptionPages::Check() const {
  for (const TTextControl& text : m_texts) {
    if (text.edit->text() == text.shown) continue;
    std::string bytes;
    QChar bad;
    if (!StorableText(text.edit->text(), bytes, bad))
      return QStringLiteral("%1に保存できない文字があります: %2").arg(QString::fromUtf8(text.caption), Shown(bad));
  }
  return {};
}

void TEditorOptionPages::Write(THIniFile& ini) const {
  for (const auto& [key, box] : m_flags) key->Write(ini, box->isChecked());
  for (const TIntControl& control : m_ints) control.Write(ini);
  for (const auto& [key, label] : m_colorLabels) key->Write(ini, label->FontColor());
  for (const TTextControl& text : m_texts) {
    std::string bytes = text.raw;
    QChar bad;
    if (text.edit->text() != text.shown && !StorableText(text.edit->text(), bytes, bad)) bytes = text.raw;
    text.key->Write(ini, bytes);
  }
  for (int i = 0; i < TEditorColorList::kCount; ++i) kEditorColors[i].key->Write(ini, m_colorList->Color(i));
  keys::ClickableType.Write(ini, m_clickable->currentIndex() == 0);
}

QString TEditorOptionPages::WriteFiles() {
  if (!m_reserveReadable) return {};
  std::vector<QByteArray> words = m_reserveList->Words();
  if (words == m_reserveSaved) return {};
  // One word per line with the line ends of a Windows text file, which the
  // highlighter's reader takes as it takes LF.
  std::string bytes;
  for (const QByteArray& word : words) {
    if (word.isEmpty()) continue;
    bytes.append(word.constData(), static_cast<std::size_t>(word.size()));
    bytes += "\r\n";
  }
  std::string error;
  if (!WriteFileAtomic(ReservePath(), bytes, &error))
    return QStringLiteral("予約語を %1 に保存できませんでした（%2）。一覧は次に適用したときにもう一度保存します")
        .arg(QString::fromStdString(ReservePath()), QString::fromStdString(error));
  m_reserveSaved = std::move(words);
  return {};
}

}  // namespace

std::unique_ptr<TOptionPageGroup> MakeEditorOptionPages(TFmMain& main, QWidget* dialog) {
  return std::make_unique<TEditorOptionPages>(main, dialog);
}

}  // namespace quillet
