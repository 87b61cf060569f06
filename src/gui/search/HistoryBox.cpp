// A search combo box over a history file; see HistoryBox.h.
#include "gui/search/HistoryBox.h"

#include <QComboBox>
#include <QCompleter>
#include <QLineEdit>

#include "core/base/CodePage.h"
#include "gui/editor/EditorClipboard.h"

namespace quillet {

QString HistoryDisplayText(const std::string& bytes) { return FromCp932(bytes); }

THistoryBox::THistoryBox(QComboBox* box, std::string folder, std::string fileName)
    : m_box(box), m_fileName(std::move(fileName)), m_history(folder + m_fileName) {
  m_box->setEditable(true);
  m_box->setInsertPolicy(QComboBox::NoInsert);
  if (m_box->completer()) m_box->completer()->setCaseSensitivity(Qt::CaseSensitive);
}

bool THistoryBox::IsEmpty() const { return m_box->currentText().isEmpty(); }

void THistoryBox::Fill(const QString& text) {
  m_box->clear();
  for (const std::string& item : m_history.Items()) m_box->addItem(HistoryDisplayText(item));
  if (m_box->count() > 0) m_box->setCurrentIndex(0);
  m_box->setEditText(text);
}

QString THistoryBox::Load() {
  const THistoryRead read = m_history.Load();
  Fill(m_history.Items().empty() ? QString() : HistoryDisplayText(m_history.Items().front()));
  if (read != THistoryRead::Unreadable) return {};
  return QStringLiteral("履歴ファイル「%1」を読み込めませんでした").arg(QString::fromStdString(m_fileName));
}

bool THistoryBox::Text(std::string& bytes, QString& message) const {
  const QString text = m_box->currentText();
  const int index = m_box->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
  if (index >= 0 && index < static_cast<int>(m_history.Items().size())) {
    bytes = m_history.Items()[static_cast<std::size_t>(index)];
    return true;
  }
  QString refused;
  if (InputToBytes(text, bytes, &refused)) return true;
  message = RefusedInputMessage(refused);
  return false;
}

QString THistoryBox::Add(const std::string& bytes, int limit) {
  const QString text = m_box->currentText();
  const THistorySave saved = limit < 0 ? m_history.Add(bytes) : m_history.AddAndLimit(bytes, limit);
  Fill(text);
  const QString name = QString::fromStdString(m_fileName);
  if (saved == THistorySave::Unreadable)
    return QStringLiteral("履歴ファイル「%1」を読み込めないため、履歴を保存しませんでした").arg(name);
  if (saved == THistorySave::Failed) return QStringLiteral("履歴ファイル「%1」の保存に失敗しました").arg(name);
  return {};
}

}  // namespace quillet
