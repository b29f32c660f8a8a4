// The Options page: router address and community, the twelve on/off options, the refresh
// interval and the syslog file. Changes act at once; they reach the store when the program ends.
#include "core/LineHistory.h"
#include "Main.h"
#include "widgets/RazCell.h"
#include "widgets/RollOverBtn.h"

#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace {

// The setting each toggle switches, by its tag (1-based).
constexpr bool core::Settings::*ToggleSettings[12] = {
    &core::Settings::RawData,    &core::Settings::CntText, &core::Settings::ConBeep,
    &core::Settings::SLActive,   &core::Settings::SLBeep,  &core::Settings::SLRemError,
    &core::Settings::SLSender,   &core::Settings::MinTray, &core::Settings::SLFileOut,
    &core::Settings::SLFileDate, &core::Settings::AutoRun, &core::Settings::StartTray,
};
constexpr int TagCntText = 2;
constexpr int TagSLActive = 4;
constexpr int TagAutoRun = 11;

} // namespace

namespace app {

// Leading blanks skipped, digits read up to the first other character, nothing read is 0; the
// result is held to 0..600 (the refresh interval's range), also for numbers too long for an int.
int RefreshIntervalFromText(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && text[i] == QLatin1Char(' '))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    int value = 0;
    for (; i < text.size() && text[i].isDigit() && text[i].unicode() < 128; ++i)
        value = std::min(value * 10 + (text[i].unicode() - '0'), 100000);
    return negative ? 0 : std::clamp(value, 0, 600);
}

} // namespace app

void TForm1::FillOptionsPage() {
    ui_.Edit1->setText(settings_.IPAddress);
    ui_.Edit2->setText(settings_.Community);
    QLineEdit* edit6 = ui_.Edit6;
    if (edit6->validator() == nullptr) // digits only; backspace and the like always work
        edit6->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit6));
    edit6->setText(QString::number(settings_.RefreshInt));
    // A toggle is drawn down while its setting is off.
    for (std::size_t i = 0; i < optionToggles_.size(); ++i)
        optionToggles_[i]->SetButtonDown(!(settings_.*ToggleSettings[i]));
}

void TForm1::OptionsBtnSLActiveClick(widgets::tRollOverBtn* sender) {
    const int tag = sender->property("tag").toInt();
    if (tag < 1 || tag > 12) return;
    sender->SetButtonDown(!sender->ButtonDown());
    bool& setting = settings_.*ToggleSettings[tag - 1];
    setting = !sender->ButtonDown();
    switch (tag) {
    case TagCntText:
        UpdateAllCells();
        break;
    case TagSLActive:
        if (setting)
            setting = ActivateSysLog(); // the toggle is drawn off again when it fails
        else
            DeactivateSyslog();
        break;
    case TagAutoRun:
        if (!store_.ChangeRegRunKey(setting)) {
            // The toggle and the setting say what the system really does.
            setting = !setting;
            sender->SetButtonDown(!sender->ButtonDown());
            seams_.messages.Error(this,
                                  QStringLiteral("The autostart entry could not be changed."));
        }
        break;
    default:
        break; // read where it is next needed
    }
}

void TForm1::TargetChanged(QString& setting, const QString& typed) {
    if (typed == setting) return;
    setting = typed;
    // The next refresh would otherwise show another device under this router's identity line,
    // and the Set buttons would write to it.
    query_.Disconnect();
    history_->recorder().Forget();
    ShowRouterAbsent();
}

void TForm1::Edit1Exit() {
    TargetChanged(settings_.IPAddress, ui_.Edit1->text());
}
void TForm1::Edit2Exit() {
    TargetChanged(settings_.Community, ui_.Edit2->text());
}

void TForm1::Edit6Exit() {
    QLineEdit* edit = ui_.Edit6;
    settings_.RefreshInt = app::RefreshIntervalFromText(edit->text());
    edit->setText(QString::number(settings_.RefreshInt));
    SetRefreshTimer();
}

void TForm1::OptionsBtnConnectClick() {
    settings_.IPAddress = ui_.Edit1->text();
    settings_.Community = ui_.Edit2->text();
    GetAllData();
    UpdateAllCells();
    // Sampling resumes from fresh readings, so the outage leaves no spike behind.
    if (query_.RouterPresent) StartGraph();
}

void TForm1::OptionsBtnSysLogFileClick() {
    const std::optional<QString> path = SaveDialog1().Execute(
        this, QStringLiteral("Please choose filename and path for SysLog file"),
        QStringLiteral("SysLog"));
    if (path) settings_.SLFileName = *path;
}
