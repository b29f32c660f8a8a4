// The window side of the syslog server: the SysLog page and the floating window (TForm2) that the
// one log view moves between, the lines it shows and those still pending, the floating window's
// placement and the dock state (SLDocked). It shows what the server emits, asks the user for
// another log file when the server cannot write one, and saves the shown lines on request.
#pragma once

#include "app/syslog/SysLogView.h"
#include "core/Settings.h"
#include "core/SysLog.h"

#include <QObject>
#include <memory>
#include <optional>

class QLabel;
class QWidget;
class TForm2;

namespace widgets {
class tImageList;
} // namespace widgets

namespace app {

class MessageBoxes;
class SaveDialog;

class SysLogViewer final : public QObject {
    Q_OBJECT

public:
    // Where the viewer lives in the main window.
    struct Place {
        QWidget* window;             // the floating window's owner, and the dialogs' parent
        QWidget* page;               // SyslogPage, built with its title
        QLabel* caption;             // that title, Label13: the server's state while docked
        widgets::tImageList* images; // the buttons' images, shared with the main window's
    };
    // The server asks this viewer for another log file, so it must not outlive it.
    SysLogViewer(core::SysLogServer& server, core::Settings& settings, SaveDialog& saveDialog,
                 MessageBoxes& messages, const Place& place);

    // The floating window; nullptr between DestroyWindow and the next CreateWindow.
    [[nodiscard]] TForm2* Window() const { return form2_; }
    void CreateWindow();
    // The view and its lines stay, back on the page, for a session that goes on.
    void DestroyWindow();
    // The view into the floating window, placed from the settings; shown with `show`.
    void UnDock(bool show);
    // The user's undock: floating from now on.
    void Float();
    // The floating window closed: the view, its lines and the caption come back to the page.
    void Dock();
    // The floating window's state and normal bounds into the SLFloat* settings.
    void SavePlacement();
    // With the main window: hidden to the tray icon, and shown again while floating.
    void HideWindow();
    void ShowFloating();

    // Starts the server and says so; false, with the error shown, when its port cannot be bound.
    bool Activate();
    // Stops a running server and says so; a server never started has nothing to say.
    void Deactivate();

    // The user's service runs the server: its lines are shown as they come, and the caption
    // says whose server it is; nullopt when the window's own is back.
    void ShowLine(const QString& line);
    void ShowServiceState(std::optional<bool> serviceActive);

    void Clear();
    // The page's Save button: text files proposed.
    void SaveFromPage();

signals:
    // The server could not be started: the SLActive toggle is to be drawn off.
    void EnableFailed();

private:
    void SetCaption(const QString& caption);
    void SaveLines(QWidget* dialogParent);
    core::SysLogFileChoice AskForFile();

    core::SysLogServer& server_;
    core::Settings& settings_;
    SaveDialog& saveDialog_;
    MessageBoxes& messages_;
    QWidget* window_;
    widgets::tImageList* images_;
    SysLogView page_;
    TForm2* form2_ = nullptr;
    std::unique_ptr<SysLogPanel> panel_; // the log's lines and its one view
};

} // namespace app
