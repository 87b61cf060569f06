// The title list's view (see TitleView.h).
#include "gui/titles/TitleView.h"

#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QTimer>
#include <algorithm>

#include "core/base/CodePage.h"
#include "core/titles/TitleSettings.h"
#include "gui/editor/EditorColors.h"
#include "gui/titles/TitleModel.h"

namespace quillet {

TTitleView::TTitleView(TTitleModel* model, QWidget* parent) : QTableView(parent), m_model(model) {
  setObjectName("TitleView");
  setModel(model);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setWordWrap(false);
  setTabKeyNavigation(false);
  verticalHeader()->hide();
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setSectionsClickable(true);
  horizontalHeader()->setStretchLastSection(false);
  horizontalHeader()->setMinimumSectionSize(0);
  connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) { OnCurrentChanged(current); });
  connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) { emit Clicked(index.row()); });
  connect(this, &QAbstractItemView::doubleClicked, this,
          [this](const QModelIndex& index) { emit Activated(index.row()); });
}

int TTitleView::SelectedRow() const {
  const QModelIndexList rows = selectionModel()->selectedRows();
  return rows.isEmpty() ? -1 : rows.front().row();
}

void TTitleView::SelectRowQuietly(int row) {
  m_quiet = true;
  if (row < 0) {
    selectionModel()->clear();
  } else {
    const QModelIndex index = m_model->index(row, 0);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    // A view not shown yet has no height, and would scroll the row to the
    // top; it is brought into sight when shown instead.
    if (isVisible()) scrollTo(index);
  }
  m_quiet = false;
}

void TTitleView::FitRowHeight(int imageHeight) {
  const int height = std::max(fontMetrics().height(), imageHeight) + 4;
  verticalHeader()->setMinimumSectionSize(height);
  verticalHeader()->setDefaultSectionSize(height);
}

void TTitleView::OnCurrentChanged(const QModelIndex& current) {
  if (current.isValid()) emit RowSelected(current.row(), !m_quiet);
}

void TTitleView::showEvent(QShowEvent* event) {
  QTableView::showEvent(event);
  // Once laid out: the open day's row in sight, the month's start kept
  // when it fits.
  QTimer::singleShot(0, this, [this] {
    if (currentIndex().isValid()) scrollTo(currentIndex());
  });
}

void TTitleView::keyPressEvent(QKeyEvent* event) {
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && event->modifiers() == Qt::NoModifier) {
    if (const int row = SelectedRow(); row >= 0) emit Activated(row);
    event->accept();
    return;
  }
  QTableView::keyPressEvent(event);
}

void TTitleView::contextMenuEvent(QContextMenuEvent* event) {
  event->accept();
  if (event->reason() == QContextMenuEvent::Keyboard) {
    emit ContextKeyPressed();
    return;
  }
  emit PopupRequested(event->globalPos());
}

namespace {

void SetColor(QPalette& palette, QPalette::ColorRole role, const QColor& color) {
  if (!color.isValid()) return;
  palette.setColor(QPalette::Active, role, color);
  palette.setColor(QPalette::Inactive, role, color);
}

}  // namespace

void TTitleView::ApplyLook(const TTitleSettings& s) {
  const QPalette base = QGuiApplication::palette();
  QPalette palette = base;
  SetColor(palette, QPalette::Base, ToQColor(s.BKColor, base));
  SetColor(palette, QPalette::Text, ToQColor(s.TextColor, base));
  SetColor(palette, QPalette::Highlight, ToQColor(s.SetBKColor, base));
  SetColor(palette, QPalette::HighlightedText, ToQColor(s.SelTextColor, base));
  setPalette(palette);
  m_model->SetWeekColors(s.WeekEmphasis, ToQColor(s.SaturdayColor, base), ToQColor(s.SundayColor, base));
  // The face is stored as code page 932.
  std::u16string family;
  ToUtf16(s.Font.name, family);
  QFont face(QString::fromStdU16String(family));
  if (s.Font.size > 0) face.setPointSize(s.Font.size);
  setFont(face);
  setShowGrid(s.GridLines);
  horizontalHeader()->setVisible(s.ShowColumn);
}

}  // namespace quillet
