// LineScope: a monitor for the Corvane R62GX/R63 ADSL router.
#include "Main.h"

#include "Artwork.h"
#include "Dialogs.h"
#include "Seams.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Corvane"));
    QCoreApplication::setApplicationName(QStringLiteral("LineScope"));
    const QIcon icon = app::artwork::ProgramIcon();
    if (!icon.availableSizes().isEmpty()) QApplication::setWindowIcon(icon);

    core::SystemClock clock;
    core::SystemSounds sounds([](core::Sound) { QApplication::beep(); });
    app::OverrideCursor cursor;
    app::CriticalMessageBoxes messages;
    app::SaveDialog saveDialog;
    TForm1 form({clock, sounds, cursor, messages, saveDialog});
    if (form.ShowOnStart()) form.show(); // minimised already when asked to start so
    return QApplication::exec();
}
