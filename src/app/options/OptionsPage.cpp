#include "app/options/OptionsPage.h"

#include "app/Dialogs.h"
#include "core/Settings.h"
#include "widgets/RazCell.h"
#include "widgets/RollOverBtn.h"

#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <algorithm>

namespace app {

namespace {

// The toggles by tag (1-based), and the setting each switches.
struct Toggle {
    const char* name;
    bool core::Settings::*setting;
};
constexpr Toggle Toggles[12] = {
    {"OptionsBtnRawData", &core::Settings::RawData},
    {"OptionsBtnCntText", &core::Settings::CntText},
    {"OptionsBtnConBeep", &core::Settings::ConBeep},
    {"OptionsBtnSLActive", &core::Settings::SLActive},
    {"OptionsBtnSLBeep", &core::Settings::SLBeep},
    {"OptionsBtnSLRemError", &core::Settings::SLRemError},
    {"OptionsBtnSLSender", &core::Settings::SLSender},
    {"OptionsBtnMinTray", &core::Settings::MinTray},
    {"OptionsBtnSLFileOut", &core::Settings::SLFileOut},
    {"OptionsBtnSLFileDate", &core::Settings::SLFileDate},
    {"OptionsBtnAutoRun", &core::Settings::AutoRun},
    {"OptionsBtnStartTray", &core::Settings::StartTray},
};
constexpr int TagCntText = 2;
constexpr int TagSLActive = 4;
constexpr int TagAutoRun = 11;

template <typename T> T* Find(const QWidget& page, const char* name) {
    T* control = page.findChild<T*>(QString::fromLatin1(name));
    Q_ASSERT(control != nullptr);
    return control;
}

} // namespace

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

OptionsPage::OptionsPage(const QWidget& page, Outside outside, Hooks hooks)
    : outside_(std::move(outside)), hooks_(std::move(hooks)),
      edit1_(Find<QLineEdit>(page, "Edit1")), edit2_(Find<QLineEdit>(page, "Edit2")),
      edit6_(Find<QLineEdit>(page, "Edit6")) {
    for (std::size_t i = 0; i < toggles_.size(); ++i) {
        auto* toggle = Find<widgets::tRollOverBtn>(page, Toggles[i].name);
        toggle->setProperty("tag", static_cast<int>(i) + 1);
        connect(toggle, &widgets::tRollOverBtn::clicked, this,
                [this, toggle] { ToggleClicked(toggle); });
        toggles_[i] = toggle;
    }
    connect(Find<widgets::tRollOverBtn>(page, "OptionsBtnConnect"), &widgets::tRollOverBtn::clicked,
            this, &OptionsPage::ConnectClicked);
    connect(Find<widgets::tRollOverBtn>(page, "OptionsBtnSysLogFile"),
            &widgets::tRollOverBtn::clicked, this, &OptionsPage::ChooseSysLogFile);
    connect(edit1_, &QLineEdit::editingFinished, this, &OptionsPage::AddressLeft);
    connect(edit2_, &QLineEdit::editingFinished, this, &OptionsPage::CommunityLeft);
    connect(edit6_, &QLineEdit::editingFinished, this, &OptionsPage::RefreshIntervalLeft);
    // Digits only; backspace and the like always work.
    edit6_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit6_));
    // Assistive technology reads an edit by the label of the cell it lies over.
    for (const auto& [edit, cell] :
         {std::pair{edit1_, "tRazCell130"}, {edit2_, "tRazCell131"}, {edit6_, "tRazCell161"}})
        edit->setAccessibleName(Find<widgets::tRazCell>(page, cell)->String1());
}

void OptionsPage::Fill() {
    const core::Settings& settings = outside_.settings;
    edit1_->setText(settings.IPAddress);
    edit2_->setText(settings.Community);
    edit6_->setText(QString::number(settings.RefreshInt));
    for (std::size_t i = 0; i < toggles_.size(); ++i)
        toggles_[i]->SetButtonDown(!(settings.*Toggles[i].setting));
}

void OptionsPage::ShowOption(bool core::Settings::*setting, bool on) {
    for (std::size_t i = 0; i < toggles_.size(); ++i)
        if (Toggles[i].setting == setting) toggles_[i]->SetButtonDown(!on);
}

void OptionsPage::ToggleClicked(widgets::tRollOverBtn* sender) {
    const int tag = sender->property("tag").toInt();
    if (tag < 1 || tag > 12) return;
    sender->SetButtonDown(!sender->ButtonDown());
    bool& setting = outside_.settings.*Toggles[tag - 1].setting;
    setting = !sender->ButtonDown();
    switch (tag) {
    case TagCntText:
        hooks_.realignCells();
        break;
    case TagSLActive:
        if (setting)
            setting = hooks_.activateSysLog(); // the toggle is drawn off again when it fails
        else
            hooks_.deactivateSysLog();
        break;
    case TagAutoRun:
        if (!outside_.store.ChangeRegRunKey(setting)) {
            // The toggle and the setting say what the system really does.
            setting = !setting;
            sender->SetButtonDown(!sender->ButtonDown());
            outside_.messages.Error(outside_.dialogParent,
                                    QStringLiteral("The autostart entry could not be changed."));
        }
        break;
    default:
        break; // read where it is next needed
    }
    hooks_.settingsChanged();
}

void OptionsPage::TargetChanged(QString& setting, const QString& typed) {
    if (typed == setting) return;
    setting = typed;
    // The next refresh would otherwise show another device under this router's identity line,
    // and the Set buttons would write to it.
    hooks_.targetChanged();
    hooks_.settingsChanged();
}

void OptionsPage::AddressLeft() {
    TargetChanged(outside_.settings.IPAddress, edit1_->text());
}
void OptionsPage::CommunityLeft() {
    TargetChanged(outside_.settings.Community, edit2_->text());
}

void OptionsPage::RefreshIntervalLeft() {
    outside_.settings.RefreshInt = RefreshIntervalFromText(edit6_->text());
    edit6_->setText(QString::number(outside_.settings.RefreshInt));
    hooks_.refreshIntervalChanged();
}

void OptionsPage::LeaveField(const QWidget* focus) {
    if (focus == edit1_)
        AddressLeft();
    else if (focus == edit2_)
        CommunityLeft();
    else if (focus == edit6_)
        RefreshIntervalLeft();
}

void OptionsPage::ConnectClicked() {
    outside_.settings.IPAddress = edit1_->text();
    outside_.settings.Community = edit2_->text();
    hooks_.connectToRouter();
    hooks_.settingsChanged();
}

void OptionsPage::ChooseSysLogFile() {
    const std::optional<QString> path = outside_.saveDialog.Execute(
        outside_.dialogParent, QStringLiteral("Please choose filename and path for SysLog file"),
        QStringLiteral("SysLog"));
    if (!path) return;
    outside_.settings.SLFileName = *path;
    hooks_.settingsChanged();
}

} // namespace app
