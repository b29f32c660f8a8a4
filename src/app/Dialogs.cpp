#include "Dialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace app {

void CriticalMessageBoxes::Error(QWidget* parent, const QString& text) {
    QMessageBox::critical(parent, QStringLiteral("LineScope"), text);
}

const QStringList& SaveDialog::Filters() {
    static const QStringList filters{
        QStringLiteral("Text Files (*.txt)"), QStringLiteral("BMP Files (*.bmp)"),
        QStringLiteral("All Files (*)"), QStringLiteral("CSV Files (*.csv)")};
    return filters;
}

QString WithDefaultSuffix(const QString& path, const QString& suffix) {
    if (path.isEmpty() || suffix.isEmpty() || !QFileInfo(path).suffix().isEmpty()) return path;
    return path + QLatin1Char('.') + suffix;
}

std::optional<QString> SaveDialog::Execute(QWidget* parent, const QString& title,
                                           const QString& fileName, const Use& use) {
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
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            chosen = dialog.selectedFiles().front();
        filter = dialog.selectedNameFilter();
    }
    if (Filters().contains(filter)) lastFilter_ = filter;
    if (!chosen || chosen->isEmpty()) return std::nullopt;
    return WithDefaultSuffix(*chosen, use.suffix);
}

} // namespace app
