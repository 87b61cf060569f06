// Every page of the options dialog can be used from the keyboard: each
// control is named by a caption with an access key (its own or a buddy
// label's), and no access key of a page repeats one of the page or of the
// dialog's buttons, where Alt+key would only move between them.
#include "../app/MainWindowFixture.h"
#include "OptionPageChecks.h"
#include "gui/options/FmOption.h"

namespace quillet {
namespace {

class OptionKeyboard : public test::TMainWindowFixture {};

TEST_F(OptionKeyboard, EveryControlHasAnAccessKeyAndNoneRepeatsOnAPage) {
  TFmMain window(BaseEnv());
  TFmOption dialog(window);
  for (int tag = opSave; tag <= opTitleAction; ++tag) {
    QWidget* page = dialog.Page(tag);
    ASSERT_NE(page, nullptr) << tag;
    SCOPED_TRACE(page->objectName().toStdString());
    test::ExpectEveryControlHasItsOwnAccessKey(page);
  }
}

}  // namespace
}  // namespace quillet
