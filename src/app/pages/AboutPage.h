// The About page: the picture and the link to the program's home page.
#pragma once

#include <QObject>

class QWidget;

namespace app {

class AboutPage final : public QObject {
    Q_OBJECT

public:
    explicit AboutPage(QWidget* page);

    // AboutBtnWWW: the home page in the default browser.
    void OpenHomePage();
};

} // namespace app
