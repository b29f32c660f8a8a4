// "Monthly allowance…": UsageCapGB (0: no allowance) and UsageCapDay (the day of the month it
// starts again, 1 to 31) in a small dialog of their own, so the Options page stays as it is. The
// values are checked when OK is pressed; a dialog that is cancelled, or ended with the session,
// changes nothing.
#pragma once

#include <QDialog>
#include <optional>

class QLabel;
class QLineEdit;

namespace core {
struct Settings;
}

namespace app {

class AllowanceDialog final : public QDialog {
    Q_OBJECT

public:
    AllowanceDialog(int capGB, int capDay, QWidget* parent);

    struct Values {
        int capGB = 0;
        int capDay = 1;
    };
    // Both values when they are in range; nothing, with the reason shown, when not.
    std::optional<Values> Checked();
    void accept() override;

    // Runs the dialog through Modal and puts what was accepted into `settings`. True when the
    // settings were changed.
    static bool Edit(QWidget* parent, core::Settings& settings);

private:
    QLineEdit* capEdit_;
    QLineEdit* dayEdit_;
    QLabel* problem_;
};

} // namespace app
