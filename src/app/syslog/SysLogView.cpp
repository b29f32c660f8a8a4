#include "app/syslog/SysLogView.h"

#include "app/pages/Panel.h"
#include "core/SysLog.h"
#include "widgets/RollOverBtn.h"

#include <QLabel>
#include <QPlainTextEdit>

namespace app {

namespace {

// The view's text for a line. The characters the text document takes for the end of a line or
// paragraph are drawn as marks instead, so a line stays one line: a carriage return as the
// symbol for it, the rest as the replacement character.
QString ShownText(QString line) {
    for (QChar& c : line) {
        switch (c.unicode()) {
        case u'\r':
            c = QChar(0x240D);
            break;
        case u'\n':
            c = QChar(0x240A);
            break;
        case 0x2028:
        case 0x2029:
        case 0xFDD0:
        case 0xFDD1:
            c = QChar(QChar::ReplacementCharacter);
            break;
        default:
            break;
        }
    }
    return line;
}

QPlainTextEdit* ViewIn(const QWidget* home) {
    return home->findChild<QPlainTextEdit*>(QStringLiteral("Memo1"), Qt::FindDirectChildrenOnly);
}

} // namespace

std::array<QWidget*, 6> SysLogView::Group() const {
    return {Shape23, Shape16, Shape22, buttons[0], buttons[1], buttons[2]};
}

void SysLogView::LayOut(const QSize& area) const {
    const int w = area.width();
    const int h = area.height();
    Label13->setGeometry(8, 0, w - 16, 30);
    Shape23->setGeometry(0, 32, w, h - 32);
    Shape16->setGeometry(8, 40, w - 16, h - 96);
    if (QPlainTextEdit* view = ViewIn(Shape16->parentWidget()))
        view->setGeometry(Shape16->geometry().adjusted(2, 2, -2, -2));
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
    view.horizontalScrollBar = names.horizontalScrollBar;

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

SysLogPanel::SysLogPanel(const SysLogView& home) : view_(new QPlainTextEdit) {
    view_->setObjectName(QStringLiteral("Memo1"));
    view_->setReadOnly(true);
    view_->setFrameShape(QFrame::NoFrame);
    view_->setLineWrapMode(QPlainTextEdit::NoWrap);
    view_->setMaximumBlockCount(SysLogMaxLines);
    view_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    view_->setFont(SansSerifFont());
    MoveTo(home);
}

void SysLogPanel::MoveTo(const SysLogView& home) {
    Flush();
    view_->setParent(home.Shape16->parentWidget()); // on top of the frame, as it was built
    view_->setHorizontalScrollBarPolicy(home.horizontalScrollBar ? Qt::ScrollBarAlwaysOn
                                                                 : Qt::ScrollBarAlwaysOff);
    view_->setGeometry(home.Shape16->geometry().adjusted(2, 2, -2, -2));
    view_->show();
}

void SysLogPanel::Add(const QString& line, bool later) {
    lines_.push_back(line);
    if (lines_.size() > SysLogMaxLines) lines_.pop_front();
    pending_.append(ShownText(line));
    if (!later) Flush();
}

void SysLogPanel::Flush() {
    if (pending_.isEmpty()) return;
    // One append for a batch of lines; the view drops its oldest beyond SysLogMaxLines.
    view_->appendPlainText(pending_.join(QLatin1Char('\n')));
    pending_.clear();
}

void SysLogPanel::Clear() {
    view_->clear();
    lines_.clear();
    pending_.clear();
}

QByteArray SysLogPanel::FileBytes() const {
    QByteArray bytes;
    for (const QString& line : lines_)
        bytes += core::SysLogFileBytes(line) + "\r\n";
    return bytes;
}

} // namespace app
