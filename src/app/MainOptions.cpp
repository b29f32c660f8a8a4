// The Options page, run by app::OptionsPage; here the window says what its options mean to the
// rest of the window, and its handlers only delegate.
#include "Main.h"
#include "app/options/OptionsPage.h"
#include "app/pages/DataPages.h"
#include "core/LineHistory.h"

void TForm1::BuildOptionsPage() {
    app::OptionsPage::Hooks hooks{
        .realignCells = [this] { UpdateAllCells(); },
        .activateSysLog = [this] { return ActivateSysLog(); },
        .deactivateSysLog = [this] { DeactivateSyslog(); },
        .connectToRouter =
            [this] {
                GetAllData();
                UpdateAllCells();
                // Sampling resumes from fresh readings, so the outage leaves no spike behind.
                if (query_.RouterPresent) StartGraph();
            },
        .targetChanged =
            [this] {
                query_.Disconnect();
                history_->recorder().Forget();
                dataPages_->ShowRouterAbsent();
            },
        .refreshIntervalChanged = [this] { SetRefreshTimer(); },
        .settingsChanged = [this] { serviceLink_->SettingsChanged(); },
    };
    options_ = std::make_unique<app::OptionsPage>(
        *Page(app::OptionsPageIndex),
        app::OptionsPage::Outside{settings_, store_, seams_.messages, seams_.saveDialog, this},
        std::move(hooks));
}
