#include "SysLogWin.h"

#include "Panel.h"
#include "RollOverBtn.h"

#include <QCloseEvent>
#include <QPlainTextEdit>

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
    resize(628, 536);
    view_.LayOut(size());
}

int TForm2::WindowStateNumber() const {
    if (windowState() & Qt::WindowMaximized) return 2;
    if (windowState() & Qt::WindowMinimized) return 1;
    return 0;
}

void TForm2::SetWindowStateNumber(int state) {
    setWindowState(state == 2   ? Qt::WindowMaximized
                   : state == 1 ? Qt::WindowMinimized
                                : Qt::WindowNoState);
}

void TForm2::tRollOverBtn1Click() {
    view_.Memo1->clear();
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

void TForm2::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    view_.LayOut(size());
}
