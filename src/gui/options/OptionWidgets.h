// Small makers for the options dialog's controls: each control carries the
// object name of the settings key it edits (or the page's component name),
// so the apply code and the tests reach it the same way. GUI thread.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <initializer_list>
#include <string>

#include "core/app/AppFolder.h"

namespace quillet {

inline QCheckBox* MakeCheck(QWidget* parent, const char* name, const QString& caption) {
  auto* box = new QCheckBox(caption, parent);
  box->setObjectName(QString::fromLatin1(name));
  return box;
}

inline QLineEdit* MakeEdit(QWidget* parent, const char* name) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QString::fromLatin1(name));
  return edit;
}

inline QComboBox* MakeCombo(QWidget* parent, const char* name, std::initializer_list<const char*> items) {
  auto* box = new QComboBox(parent);
  box->setObjectName(QString::fromLatin1(name));
  for (const char* item : items) box->addItem(QString::fromUtf8(item));
  return box;
}

// A caption whose access key moves the focus to `buddy`.
inline QLabel* MakeLabel(QWidget* parent, const QString& caption, QWidget* buddy) {
  auto* label = new QLabel(caption, parent);
  label->setBuddy(buddy);
  return label;
}

// A path or text of the settings file (code page 932) as the field shows it,
// and back.
inline QString FromSetting(const std::string& cp932) { return QString::fromStdString(PathFromSetting(cp932)); }
inline std::string ToSetting(const QString& text) { return PathToSetting(text.trimmed().toStdString()); }

}  // namespace quillet
