#include "app/graph/AllowanceDialog.h"

#include "app/Dialogs.h"
#include "core/Settings.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <limits>

namespace app {

namespace {

// A whole number in [min, max], spaces around it allowed; nothing otherwise.
std::optional<int> Whole(const QString& text, int min, int max) {
    bool ok = false;
    const qlonglong value = text.trimmed().toLongLong(&ok);
    if (!ok || value < min || value > max) return std::nullopt;
    return static_cast<int>(value);
}

} // namespace

AllowanceDialog::AllowanceDialog(int capGB, int capDay, QWidget* parent)
    : QDialog(parent), capEdit_(new QLineEdit(QString::number(capGB), this)),
      dayEdit_(new QLineEdit(QString::number(capDay), this)), problem_(new QLabel(this)) {
    setObjectName(QStringLiteral("AllowanceDialog"));
    setWindowTitle(QStringLiteral("Monthly allowance"));
    capEdit_->setObjectName(QStringLiteral("UsageCapGB"));
    dayEdit_->setObjectName(QStringLiteral("UsageCapDay"));
    problem_->setObjectName(QStringLiteral("AllowanceProblem"));
    problem_->setStyleSheet(QStringLiteral("color: #b00000"));
    problem_->hide();
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Allowance (GB, 0 for none):"), capEdit_);
    form->addRow(QStringLiteral("Starts again on day (1 to 31):"), dayEdit_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &AllowanceDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &AllowanceDialog::reject);
    auto* column = new QVBoxLayout(this);
    column->addLayout(form);
    column->addWidget(new QLabel(
        QStringLiteral("1 GB = 1,000,000,000 octets. In a shorter month the allowance starts "
                       "again on its last day."),
        this));
    column->addWidget(problem_);
    column->addWidget(buttons);
}

std::optional<AllowanceDialog::Values> AllowanceDialog::Checked() {
    const auto cap = Whole(capEdit_->text(), 0, std::numeric_limits<int>::max());
    const auto day = Whole(dayEdit_->text(), 1, 31);
    QLineEdit* wrong = !cap ? capEdit_ : !day ? dayEdit_ : nullptr;
    if (wrong != nullptr) {
        problem_->setText(!cap ? QStringLiteral("The allowance is a whole number of GB, 0 or more.")
                               : QStringLiteral("The day is a whole number from 1 to 31."));
        problem_->show();
        wrong->setFocus();
        wrong->selectAll();
        return std::nullopt;
    }
    problem_->hide();
    return Values{*cap, *day};
}

void AllowanceDialog::accept() {
    if (Checked()) QDialog::accept();
}

bool AllowanceDialog::Edit(QWidget* parent, core::Settings& settings) {
    AllowanceDialog dialog(settings.UsageCapGB, settings.UsageCapDay, parent);
    if (Modal::Exec(dialog).value_or(QDialog::Rejected) != QDialog::Accepted) return false;
    const std::optional<Values> values = dialog.Checked();
    if (!values) return false;
    settings.UsageCapGB = values->capGB;
    settings.UsageCapDay = values->capDay;
    return true;
}

} // namespace app
