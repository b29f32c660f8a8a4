#include "SysLogView.h"

#include "Panel.h"
#include "RollOverBtn.h"

#include <QLabel>
#include <QPlainTextEdit>

namespace app {

std::array<QWidget*, 7> SysLogView::Group() const {
    return {Shape23, Shape16, Shape22, Memo1, buttons[0], buttons[1], buttons[2]};
}

void SysLogView::LayOut(const QSize& area) const {
    const int w = area.width();
    const int h = area.height();
    Label13->setGeometry(8, 0, w - 16, 30);
    Shape23->setGeometry(0, 32, w, h - 32);
    Shape16->setGeometry(8, 40, w - 16, h - 96);
    Memo1->setGeometry(Shape16->geometry().adjusted(2, 2, -2, -2));
    Shape22->setGeometry(8, h - 48, w - 16, 40);
    for (std::size_t i = 0; i < buttons.size(); ++i)
        buttons[i]->setGeometry(16 + static_cast<int>(i) * 136, h - 44, 128, 32);
}

SysLogView BuildSysLogView(QWidget* parent, QLabel* caption, const SysLogViewNames& names,
                           widgets::tImageList* images) {
    SysLogView view;
    auto panel = [parent](const char* name) {
        auto* shape = new Panel(parent);
        shape->setObjectName(QLatin1String(name));
        return shape;
    };
    view.Shape23 = panel("Shape23");
    view.Shape16 = panel("Shape16");
    view.Shape22 = panel("Shape22");
    if (caption == nullptr) {
        caption = new QLabel(QStringLiteral("SysLog Server (Disabled)"), parent);
        caption->setObjectName(QStringLiteral("Label13"));
        caption->setFont(PixelFont(QStringLiteral("Arial"), 24, false, true));
        QPalette pal = caption->palette();
        pal.setColor(QPalette::WindowText, Qt::white);
        caption->setPalette(pal);
    }
    caption->setTextFormat(Qt::PlainText);
    view.Label13 = caption;

    view.Memo1 = new QPlainTextEdit(parent);
    view.Memo1->setObjectName(QStringLiteral("Memo1"));
    view.Memo1->setReadOnly(true);
    view.Memo1->setFrameShape(QFrame::NoFrame);
    view.Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    view.Memo1->setMaximumBlockCount(SysLogMaxLines);
    view.Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    view.Memo1->setHorizontalScrollBarPolicy(names.horizontalScrollBar ? Qt::ScrollBarAlwaysOn
                                                                       : Qt::ScrollBarAlwaysOff);
    view.Memo1->setFont(SansSerifFont());

    const QFont buttonFont = ArialFont(8, true);
    for (std::size_t i = 0; i < view.buttons.size(); ++i) {
        auto* button = new widgets::tRollOverBtn(parent);
        button->setObjectName(QLatin1String(names.buttons[i]));
        button->SetCaption(QLatin1String(names.captions[i]));
        button->SetFont(buttonFont);
        button->SetImages(images);
        view.buttons[i] = button;
    }
    return view;
}

} // namespace app
