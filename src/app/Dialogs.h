// The window's side effects that need a person: error message boxes and the save-file dialog.
// Both are small interfaces so tests can answer them and see what was asked.
#pragma once

#include "core/Seams.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QDialog;
class QObject;
class QWidget;

namespace app {

// Busy cursor through QApplication's override cursor.
class OverrideCursor final : public core::Cursor {
public:
    void SetBusy() override;
    void Restore() override;
};

// Every modal dialog and message box of the program runs its nested event loop through here, so
// the end of the user's session can end them all. A dialog so ended gives no answer, which its
// caller must not take for the user's cancel. From then on no dialog opens until Resume: whoever
// asks is told "ended" at once, since nobody is left to answer.
class Modal {
public:
    // The dialog's exec() result, or nothing when the session ended it or kept it from opening.
    static std::optional<int> Exec(QDialog& dialog);
    // Ends every open dialog and keeps new ones from opening. `then` runs once no dialog loop is
    // left on the stack: at once when none is open, else from the event loop after the last one
    // has returned, so it may free what the dialogs belonged to. Skipped if `context` is gone.
    static void EndAll(QObject* context = nullptr, std::function<void()> then = {});
    // The session goes on after all: dialogs may open again.
    static void Resume();
    [[nodiscard]] static bool SessionEnding();
    [[nodiscard]] static int OpenCount();
};

// Errors the toolkit or the core reports (a file that cannot be written, a value that is not a
// number) reach the user as one message box each; while the session ends, standard error.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual void Error(QWidget* parent, const QString& text) = 0;
};

class CriticalMessageBoxes final : public MessageBoxes {
public:
    void Error(QWidget* parent, const QString& text) override;
};

// The one save dialog the table, syslog and graph pages and the syslog file chooser share. Each
// use sets its title and proposed file name, and may pick the filter shown and the suffix a bare
// name gets; the filter list and the overwrite prompt are common, and the filter picked last
// stays picked for the next use.
class SaveDialog {
public:
    struct Request {
        QString title;
        QString fileName;    // proposed name, without a directory
        QStringList filters; // in the order the dialog lists them
        QString selectedFilter;
        QString defaultSuffix;
    };
    // Stands in for the person in front of the dialog: returns the chosen path (and may name
    // the filter it picked), or nothing for Cancel.
    using Answerer = std::function<std::optional<QString>(const Request&, QString& filter)>;

    static const QStringList& Filters();
    static QString DefaultSuffix() { return QStringLiteral("txt"); }

    // What one use picks beyond its title and name: the filter shown (by its place in Filters(),
    // -1 for the one picked last) and the suffix a name without one gets.
    struct Use {
        int filter = -1;
        QString suffix = DefaultSuffix();
    };

    // The chosen path with the use's suffix added when the name has none; nothing when the
    // user cancelled or the session ended (Modal::SessionEnding tells which).
    std::optional<QString> Execute(QWidget* parent, const QString& title, const QString& fileName,
                                   const Use& use);
    std::optional<QString> Execute(QWidget* parent, const QString& title, const QString& fileName) {
        return Execute(parent, title, fileName, Use{});
    }

    void SetAnswerer(Answerer answerer) { answerer_ = std::move(answerer); }
    // Picks the filter the next Execute shows, by its place in Filters().
    void SelectFilter(int index) { lastFilter_ = Filters().at(index); }
    [[nodiscard]] const QString& LastFilter() const { return lastFilter_; }
    [[nodiscard]] int TimesShown() const { return timesShown_; }

private:
    Answerer answerer_;
    QString lastFilter_ = Filters().front();
    int timesShown_ = 0;
};

// "name" becomes "name.txt"; a name that carries a suffix ("name.log", "dir.v2/x.csv") stays.
QString WithDefaultSuffix(const QString& path, const QString& suffix);

} // namespace app
