// A window over a seeded line history, for the tests of the graph menu's history side: a
// router that never answers (so nothing new is recorded), recording seams, and a save dialog
// that answers with a file in a folder of the test's own.
#pragma once

#include "FakeAgent.h"
#include "RecordedMessages.h"
#include "TestSeams.h"
#include "app/Main.h"

#include <QSettings>
#include <QTemporaryDir>
#include <memory>

namespace testing_seams {

class SeededWindow {
protected:
    fake::FakeAgent agent_{fake::Behaviour::Silent};
    FixedClock clock_;
    RecordingSounds sounds_;
    CountingCursor cursor_;
    RecordedMessages messages_;
    app::SaveDialog dialog_;
    std::unique_ptr<TForm1> form_;
    QTemporaryDir dir_;
    int64_t now_ = clock_.Now().toSecsSinceEpoch();

    // Opens the window on the Graph page, once the history has been seeded.
    void Open() {
        QSettings profile(QStringLiteral("Corvane"), QStringLiteral("LineScope"));
        profile.setValue(QStringLiteral("IPAddress"), QString::fromStdString(agent_.Address()));
        profile.sync();
        form_ = std::make_unique<TForm1>(
            app::WindowSeams{clock_, sounds_, cursor_, messages_, dialog_});
        form_->show();
        form_->MenuBtnGraphClick();
    }
    // The save dialog's next answers: `name` in the test's folder.
    QString answer(const QString& name) {
        const QString path = dir_.filePath(name);
        dialog_.SetAnswerer([path](const app::SaveDialog::Request&, QString&) { return path; });
        return path;
    }
};

} // namespace testing_seams
