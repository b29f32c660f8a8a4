// The Options page: the router's address and community, the twelve on/off options, the refresh
// interval and the syslog file. Changes act at once; they reach the store when the program ends.
// What an option means to another part of the window is a hook the window supplies.
#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <functional>

class QLineEdit;
class QWidget;

namespace core {
struct Settings;
class SettingsStore;
} // namespace core

namespace widgets {
class tRollOverBtn;
}

namespace app {

class MessageBoxes;
class SaveDialog;

// The refresh interval field's reading: 0..600 seconds.
int RefreshIntervalFromText(const QString& text);

class OptionsPage final : public QObject {
    Q_OBJECT

public:
    struct Outside {
        core::Settings& settings;
        core::SettingsStore& store; // the autostart entry
        MessageBoxes& messages;
        SaveDialog& saveDialog;
        QWidget* dialogParent;
    };
    struct Hooks {
        std::function<void()> realignCells;     // CntText changed
        std::function<bool()> activateSysLog;   // SLActive on; false when it could not start
        std::function<void()> deactivateSysLog; // SLActive off
        std::function<void()> connectToRouter;  // the full fetch with the address on the page
        std::function<void()> targetChanged;    // another address or community was typed
        std::function<void()> refreshIntervalChanged;
        std::function<void()> settingsChanged; // after any change a service may read
    };
    // `page`: the Options page, whose controls are found by their designer names.
    OptionsPage(const QWidget& page, Outside outside, Hooks hooks);

    // The edits and toggles from the settings; a toggle is drawn down while its setting is off.
    void Fill();
    // OptionsBtnSLActiveClick: any of the twelve toggles, which one by its tag.
    void ToggleClicked(widgets::tRollOverBtn* sender);
    void ConnectClicked();
    void ChooseSysLogFile();
    void AddressLeft();         // Edit1Exit
    void CommunityLeft();       // Edit2Exit
    void RefreshIntervalLeft(); // Edit6Exit
    // At close: the field still being typed in counts as left.
    void LeaveField(const QWidget* focus);
    // Draws an option's toggle on or off without changing the setting.
    void ShowOption(bool core::Settings::*setting, bool on);

private:
    void TargetChanged(QString& setting, const QString& typed);

    Outside outside_;
    Hooks hooks_;
    QLineEdit* edit1_;                                 // address
    QLineEdit* edit2_;                                 // community
    QLineEdit* edit6_;                                 // refresh interval
    std::array<widgets::tRollOverBtn*, 12> toggles_{}; // by tag - 1
};

} // namespace app
