#include "app/pages/AboutPage.h"

#include "app/Artwork.h"

#include <QDesktopServices>
#include <QLabel>
#include <QUrl>

namespace app {

AboutPage::AboutPage(QWidget* page) : QObject(page) {
    auto* picture = new QLabel(page);
    picture->setObjectName(QStringLiteral("Image1"));
    picture->setGeometry(150, 56, 320, 160);
    picture->setPixmap(widgets::LoadArtwork(QString::fromLatin1(artwork::kAbout)));
    const QString address = QStringLiteral(LINESCOPE_HOMEPAGE);
    auto* link = new QLabel(QStringLiteral("<a href=\"%1\">%1</a>").arg(address), page);
    link->setObjectName(QStringLiteral("AboutBtnWWW"));
    link->setGeometry(40, 332, 540, 24);
    link->setAlignment(Qt::AlignCenter);
    link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    link->setToolTip(QStringLiteral("Visit the LineScope home page"));
    connect(link, &QLabel::linkActivated, this, &AboutPage::OpenHomePage);
}

void AboutPage::OpenHomePage() {
    // Whether a browser opened is not looked at; there is nothing the user could do about it.
    QDesktopServices::openUrl(QUrl(QStringLiteral(LINESCOPE_HOMEPAGE)));
}

} // namespace app
