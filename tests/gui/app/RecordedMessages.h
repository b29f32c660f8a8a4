// The window's message boxes for tests: each error is kept, none is shown.
#pragma once

#include "app/Dialogs.h"

#include <QStringList>

namespace testing_seams {

struct RecordedMessages final : app::MessageBoxes {
    void Error(QWidget*, const QString& text) override { errors.append(text); }
    QStringList errors;
};

} // namespace testing_seams
