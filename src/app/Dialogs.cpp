#include "Dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <cstdio>
#include <vector>

namespace app {

void OverrideCursor::SetBusy() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
}
void OverrideCursor::Restore() {
    QApplication::restoreOverrideCursor();
}

namespace {

struct OpenDialog {
    QPointer<QDialog> dialog;
    bool ended = false;
};
struct Pending {
    QPointer<QObject> context;
    bool hasContext;
    std::function<void()> then;
};

std::vector<OpenDialog> openDialogs; // innermost last
std::vector<Pending> pending;
bool sessionEnding = false;

void RunPending() {
    std::vector<Pending> due;
    due.swap(pending);
    for (Pending& p : due)
        if ((!p.hasContext || p.context) && p.then) p.then();
}

} // namespace

std::optional<int> Modal::Exec(QDialog& dialog) {
    if (sessionEnding) return std::nullopt;
    openDialogs.push_back({&dialog});
    const int result = dialog.exec();
    const bool ended = openDialogs.back().ended;
    openDialogs.pop_back();
    // From the event loop, once the dialog's caller has returned, and not from inside it.
    if (openDialogs.empty() && !pending.empty()) QTimer::singleShot(0, qApp, &RunPending);
    if (ended) return std::nullopt;
    return result;
}

void Modal::EndAll(QObject* context, std::function<void()> then) {
    sessionEnding = true;
    pending.push_back({context, context != nullptr, std::move(then)});
    if (openDialogs.empty()) return RunPending();
    for (OpenDialog& open : openDialogs)
        open.ended = true;
    // Also the boxes a dialog opens of its own (the file dialog's overwrite question). Each loop
    // returns as soon as control gets back to it.
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* dialog = qobject_cast<QDialog*>(window);
            dialog != nullptr && dialog->isVisible() && dialog->isModal())
            dialog->done(QDialog::Rejected);
}

void Modal::Resume() {
    sessionEnding = false;
}

bool Modal::SessionEnding() {
    return sessionEnding;
}

int Modal::OpenCount() {
    return static_cast<int>(openDialogs.size());
}

void CriticalMessageBoxes::Error(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("LineScope"), text, QMessageBox::Ok,
                    parent);
    // Ended by the session or never shown: said where it can still be read.
    if (!Modal::Exec(box)) fprintf(stderr, "linescope: %s\n", qPrintable(text));
}

const QStringList& SaveDialog::Filters() {
    static const QStringList filters{
        QStringLiteral("Text Files (*.txt)"), QStringLiteral("BMP Files (*.bmp)"),
        QStringLiteral("All Files (*)"), QStringLiteral("CSV Files (*.csv)"),
        QStringLiteral("PDF Files (*.pdf)")};
    return filters;
}

QString WithDefaultSuffix(const QString& path, const QString& suffix) {
    if (path.isEmpty() || suffix.isEmpty() || !QFileInfo(path).suffix().isEmpty()) return path;
    return path + QLatin1Char('.') + suffix;
}

std::optional<QString> SaveDialog::Execute(QWidget* parent, const QString& title,
                                           const QString& fileName, const Use& use) {
    if (Modal::SessionEnding()) return std::nullopt; // nobody is left to answer
    ++timesShown_;
    if (use.filter >= 0) SelectFilter(use.filter);
    const Request request{title, fileName, Filters(), lastFilter_, use.suffix};
    std::optional<QString> chosen;
    QString filter = lastFilter_;
    if (answerer_) {
        chosen = answerer_(request, filter);
    } else {
        QFileDialog dialog(parent, title);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setNameFilters(Filters());
        dialog.selectNameFilter(lastFilter_);
        dialog.setDefaultSuffix(use.suffix);
        dialog.selectFile(fileName);
        // The overwrite prompt is QFileDialog's default for save dialogs; keep it on.
        dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
        const std::optional<int> result = Modal::Exec(dialog);
        if (!result) return std::nullopt; // ended by the session: nothing chosen, nothing kept
        if (*result == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            chosen = dialog.selectedFiles().front();
        filter = dialog.selectedNameFilter();
    }
    if (Filters().contains(filter)) lastFilter_ = filter;
    if (!chosen || chosen->isEmpty()) return std::nullopt;
    return WithDefaultSuffix(*chosen, use.suffix);
}

} // namespace app
