// The options dialog on a real main window over a temporary program folder:
// opening it with its messages collected, reaching a control by its object
// name, and answering a colour label's dialog.
#pragma once

#include <memory>

#include "../app/MainWindowFixture.h"
#include "gui/options/ColorLabelSE.h"
#include "gui/options/FmOption.h"

namespace quillet::test {

class TOptionDialogFixture : public TMainWindowFixture {
protected:
  QStringList shown;  // messages the dialog showed

  std::unique_ptr<TFmOption> Open(TFmMain& window) {
    auto dialog = std::make_unique<TFmOption>(window);
    dialog->showMessage = [this](const QString& text) { shown << text; };
    return dialog;
  }
  template <class T>
  static T* Get(QObject& dialog, const char* name) {
    T* widget = dialog.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  // Clicks a colour label whose dialog answers `color`.
  static void PickColor(QObject& dialog, const char* name, QColor color) {
    auto* label = Get<TColorLabelSE>(dialog, name);
    label->SetColorPicker([color](const QColor&, QWidget*) { return color; });
    label->Click();
  }
};

}  // namespace quillet::test
