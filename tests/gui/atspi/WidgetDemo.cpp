// A small window of value cells and image buttons with the program's artwork: the AT-SPI check
// drives it from outside, and `--grab FILE` saves a picture of it for looking at the artwork.
//
// Menu buttons form a radio group, toggles flip, every click is reported on stdout as
// "clicked <objectName>" and shown in the "Last click" cell.
#include "app/Artwork.h"
#include "widgets/ImageList.h"
#include "widgets/RazCell.h"
#include "widgets/RollOverBtn.h"

#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <QVector>
#include <cstdio>

using namespace widgets;
namespace artwork = app::artwork;

namespace {

const QColor kWindowBlue(0, 128, 192);

QFont CellFont(bool bold) {
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPointSize(8);
    f.setBold(bold);
    return f;
}

QWidget* Panel(QWidget* parent, QRect geometry) {
    auto* panel = new QLabel(parent);
    panel->setGeometry(geometry);
    panel->setAutoFillBackground(true);
    panel->setObjectName(QStringLiteral("panel"));
    panel->setStyleSheet(QStringLiteral("#panel { background: rgb(155,154,179); border: 2px solid "
                                        "rgb(40,40,60); }"));
    return panel;
}

tRazCell* Cell(QWidget* parent, const char* name, QRect geometry, int seperator,
               const QString& label, const QString& value) {
    auto* cell = new tRazCell(parent);
    cell->setObjectName(QString::fromLatin1(name));
    cell->setGeometry(geometry);
    cell->SetSeperator(seperator);
    cell->SetPen(QPen(Qt::black, 2));
    cell->SetFont1(CellFont(true));
    cell->SetFontColor1(Qt::white);
    cell->SetFont2(CellFont(false));
    cell->SetAlignment1(Alignment::Right);
    cell->SetString1(label);
    cell->SetString2(value);
    return cell;
}

tRollOverBtn* Button(QWidget* parent, const char* name, QRect geometry, tImageList* images,
                     const QString& caption) {
    auto* button = new tRollOverBtn(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    button->SetImages(images);
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(8);
    font.setBold(true);
    button->SetFont(font);
    button->SetCaption(caption);
    return button;
}

void Report(const QString& what) {
    std::printf("%s\n", qPrintable(what));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("linescope-widget-demo"));
    app.setWindowIcon(artwork::ProgramIcon());
    const QStringList args = app.arguments();
    const int grabAt = args.indexOf(QStringLiteral("--grab"));
    const QString grabPath = grabAt > 0 && grabAt + 1 < args.size() ? args[grabAt + 1] : QString();

    tImageList menuImages, toggleImages, setImages;
    if (!artwork::LoadImageSet(menuImages, artwork::kButton) ||
        !artwork::LoadImageSet(toggleImages, artwork::kToggle) ||
        !artwork::LoadImageSet(setImages, artwork::kSetButton)) {
        std::fprintf(stderr, "artwork missing from the resources\n");
        return 1;
    }

    QWidget window;
    window.setWindowTitle(QStringLiteral("LineScope widgets"));
    window.setFixedSize(764, 507);
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, kWindowBlue);
    window.setPalette(palette);
    window.setAutoFillBackground(true);

    auto* logo = new QLabel(&window);
    logo->setPixmap(LoadArtwork(QString::fromLatin1(artwork::kLogo)));
    logo->setGeometry(0, 0, 140, 60);

    QWidget* menu = Panel(&window, {0, 64, 140, 364});
    QVector<tRollOverBtn*> group;
    const struct {
        const char* name;
        const char* caption;
    } menuItems[] = {{"MenuBtnSystem", "General Info"},
                     {"MenuBtnGraph", "Traffic Graph"},
                     {"MenuBtnIntf", "Interfaces / ifX"},
                     {"MenuBtnADSL", "ADSL-Line"},
                     {"MenuBtnIP", "IP"}};
    int y = 6;
    for (const auto& item : menuItems) {
        group << Button(menu, item.name, {6, y, 128, 32}, &menuImages,
                        QString::fromLatin1(item.caption));
        y += 32;
    }
    group.front()->SetButtonDown(true);

    QWidget* page = new QWidget(&window);
    page->setGeometry(140, 0, 624, 507);
    auto* title = new QLabel(QStringLiteral("General Info"), page);
    QFont titleFont(QStringLiteral("Arial"));
    titleFont.setPixelSize(24);
    titleFont.setItalic(true);
    title->setFont(titleFont);
    title->setStyleSheet(QStringLiteral("color: white"));
    title->setGeometry(8, 0, 400, 30);
    QWidget* body = Panel(page, {0, 32, 620, 470});

    auto* status = Cell(body, "tRazCellStatus", {10, 10, 400, 24}, 125,
                        QStringLiteral("Last click"), QStringLiteral("none"));
    Cell(body, "tRazCell1", {10, 40, 400, 24}, 125, QStringLiteral("Up Time"),
         QStringLiteral("3 days 04:05:06"));
    auto* name = Cell(body, "tRazCell2", {10, 70, 400, 24}, 125, QStringLiteral("Name"),
                      QStringLiteral("tavix-gw"));
    name->setToolTip(QStringLiteral("The router's administratively assigned name"));
    Cell(body, "tRazCell3", {10, 100, 260, 24}, 165, QStringLiteral("ipInReceives"),
         QStringLiteral("1234567"));
    auto* centred = Cell(body, "tRazCell4", {10, 130, 260, 24}, 165, QStringLiteral("ipForwarding"),
                         QStringLiteral("forwarding(1)"));
    centred->SetAlignment1(Alignment::Centre);
    centred->SetAlignment2(Alignment::Centre);
    auto* setButton =
        Button(body, "SystemBtnSet2", {416, 70, 32, 24}, &setImages, QStringLiteral("Set"));

    QVector<tRollOverBtn*> toggles;
    const struct {
        const char* name;
        const char* label;
        bool on;
    } options[] = {{"OptionsBtnConBeep", "Connection sound", true},
                   {"OptionsBtnRawData", "Raw data", false}};
    y = 170;
    for (const auto& option : options) {
        Cell(body, "", {40, y, 300, 24}, 200, QString::fromLatin1(option.label), QString())
            ->SetAlignment1(Alignment::Left);
        auto* toggle =
            Button(body, option.name, {10, y, 24, 24}, &toggleImages, QStringLiteral(" "));
        toggle->setToolTip(QString::fromLatin1(option.label));
        toggle->SetButtonDown(!option.on);
        toggles << toggle;
        y += 30;
    }

    auto* about = new QLabel(body);
    about->setPixmap(LoadArtwork(QString::fromLatin1(artwork::kAbout)));
    about->setGeometry(290, 290, 320, 160);
    int x = 10;
    for (const int size : {16, 24, 32, 48, 64, 128}) {
        auto* icon = new QLabel(body);
        icon->setPixmap(artwork::ProgramIcon().pixmap(size));
        icon->setGeometry(x, 300 + (128 - size) / 2, size, size);
        x += size + 6;
    }

    auto clicked = [status](tRollOverBtn* button) {
        status->SetString2(button->objectName());
        Report(QStringLiteral("clicked ") + button->objectName());
    };
    for (tRollOverBtn* button : group)
        QObject::connect(button, &tRollOverBtn::clicked, button, [=] {
            for (tRollOverBtn* other : group)
                other->SetButtonDown(other == button);
            clicked(button);
        });
    for (tRollOverBtn* toggle : toggles)
        QObject::connect(toggle, &tRollOverBtn::clicked, toggle, [=] {
            toggle->SetButtonDown(!toggle->ButtonDown());
            clicked(toggle);
        });
    QObject::connect(setButton, &tRollOverBtn::clicked, setButton, [=] { clicked(setButton); });

    window.show();
    if (!grabPath.isEmpty()) {
        return window.grab().save(grabPath) ? 0 : 1;
    }
    // Never outlive a check that lost track of the demo.
    QTimer::singleShot(120000, &app, &QApplication::quit);
    QTimer::singleShot(0, [] { Report(QStringLiteral("ready")); });
    return app.exec();
}
