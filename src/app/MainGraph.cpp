// The traffic graph's side of the main window: its page (GraphPage) built and wired, and the
// graph's handlers, each handed to it.
#include "Main.h"
#include "app/graph/GraphPage.h"
#include "widgets/RollOverBtn.h"

void TForm1::BuildGraphPage() {
    graph_ = new app::GraphPage({*this, *pageControl_, seams_.clock, seams_.cursor, seams_.messages,
                                 seams_.saveDialog, [this] { return History(); },
                                 [this] {
                                     // The service counts the allowance too: it is told.
                                     const bool saved = store_.WriteOptionsToReg(settings_);
                                     serviceLink_->SettingsChanged();
                                     return saved;
                                 }},
                                settings_, query_, stats_);
    connect(Button("GraphBtnClear"), &widgets::tRollOverBtn::clicked, this,
            &TForm1::GraphBtnClearClick);
    connect(Button("GraphsBtnSave"), &widgets::tRollOverBtn::clicked, this,
            &TForm1::GraphsBtnSaveClick);
}
