#include "app/syslog/SysLogWin.h"

#include "app/pages/Panel.h"
#include "widgets/RollOverBtn.h"

#include <QCloseEvent>

TForm2::TForm2(widgets::tImageList* buttonImages, QWidget* owner) : QWidget(owner, Qt::Window) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Corvane R62GX/R63  LineScope - Undocked SysLog Server"));
    setMinimumSize(628, 536);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, app::WindowColour);
    setPalette(pal);
    setAutoFillBackground(true);
    view_ = app::BuildSysLogView(this, nullptr,
                                 {{"tRollOverBtn1", "tRollOverBtn2", "tRollOverBtn3"},
                                  {"Clear SysLog", "Save SysLog", "Dock SysLog"},
                                  false},
                                 buttonImages);
    connect(view_.buttons[0], &widgets::tRollOverBtn::clicked, this, &TForm2::tRollOverBtn1Click);
    connect(view_.buttons[1], &widgets::tRollOverBtn::clicked, this, &TForm2::tRollOverBtn2Click);
    connect(view_.buttons[2], &widgets::tRollOverBtn::clicked, this, &TForm2::tRollOverBtn3Click);
    PlaceNormal(QRect(0, 0, 628, 536));
    view_.LayOut(size());
}

int TForm2::WindowStateNumber() const {
    // Minimised from maximised, Qt keeps both flags; the window shows minimised.
    if (windowState() & Qt::WindowMinimized) return 1;
    if (windowState() & Qt::WindowMaximized) return 2;
    return 0;
}

void TForm2::PlaceNormal(const QRect& bounds) {
    setWindowState(Qt::WindowNoState);
    move(bounds.topLeft());
    resize(bounds.size());
    normal_ = bounds;
}

void TForm2::TrackNormalBounds() {
    if (isVisible() && windowState() == Qt::WindowNoState) normal_ = QRect(pos(), size());
}

void TForm2::SetWindowStateNumber(int state) {
    setWindowState(state == 2   ? Qt::WindowMaximized
                   : state == 1 ? Qt::WindowMinimized
                                : Qt::WindowNoState);
}

void TForm2::tRollOverBtn1Click() {
    emit ClearRequested();
}
void TForm2::tRollOverBtn2Click() {
    emit SaveRequested();
}
void TForm2::tRollOverBtn3Click() {
    close();
}

void TForm2::closeEvent(QCloseEvent* event) {
    emit FormClose();
    event->accept(); // hidden, not destroyed
}

void TForm2::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    TrackNormalBounds();
}

void TForm2::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    view_.LayOut(size());
    TrackNormalBounds();
}
