// Builds the thirteen pages from the layout tables and wires the pages' buttons to their
// handlers.
#include "Main.h"
#include "Panel.h"
#include "widgets/ImageList.h"
#include "widgets/RazCell.h"
#include "widgets/RollOverBtn.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStackedWidget>

using widgets::tRazCell;
using widgets::tRollOverBtn;

namespace {

QString Latin1(std::string_view text) {
    return QString::fromLatin1(text.data(), text.size());
}

void SetTextColour(QWidget* widget, const QColor& colour) {
    QPalette pal = widget->palette();
    pal.setColor(QPalette::WindowText, colour);
    widget->setPalette(pal);
}

} // namespace

void TForm1::BuildPages() {
    using app::PixelFont;
    const QFont sansSerif = app::SansSerifFont();
    const QFont sansSerifBold = app::SansSerifFont(true);
    const QFont buttonFont = app::ArialFont(8, true);

    std::array<QWidget*, app::PageCount> pages{};
    for (int i = 0; i < app::PageCount; ++i) {
        const app::PageInfo& info = app::Pages[i];
        auto* page = new QWidget;
        page->setObjectName(Latin1(info.name));
        if (info.panel) {
            auto* panel = new app::Panel(page);
            panel->setObjectName(Latin1(info.name) + QStringLiteral("Panel"));
            panel->setGeometry(0, 32, 620, 470);
        }
        auto* title = new QLabel(Latin1(info.title), page);
        title->setObjectName(Latin1(info.titleLabel));
        title->setFont(PixelFont(QStringLiteral("Arial"), 24, false, true));
        SetTextColour(title, Qt::white);
        title->setGeometry(8, 0, 600, 30);
        pageControl_->addWidget(page);
        pages[static_cast<std::size_t>(i)] = page;
    }
    auto pageOf = [&pages](int index) { return pages[static_cast<std::size_t>(index)]; };

    for (const app::CellLayout& layout : app::CellLayouts()) {
        if (layout.number < 1 || layout.number > app::CellCount) continue; // a gap in the table
        auto* cell = new tRazCell(pageOf(layout.page));
        cell->setObjectName(QStringLiteral("tRazCell%1").arg(layout.number));
        cell->setGeometry(layout.x, layout.y, layout.width, app::CellHeight);
        cell->SetSeperator(layout.separator);
        cell->SetFont1(sansSerifBold);
        cell->SetFontColor1(Qt::white);
        cell->SetFont2(sansSerif);
        cell->SetFillColor1(app::WindowColour);
        cell->SetFillColor2(Qt::white);
        cell->SetPen(QPen(Qt::black, 2));
        if (layout.entry != nullptr) {
            cell->SetString1(Latin1(layout.entry->Label));
            SetHint(cell, layout.entry->Hint);
        } else {
            cell->SetString1(Latin1(layout.label));
        }
        cells_[static_cast<std::size_t>(layout.number - 1)] = cell;
    }

    for (const app::ButtonLayout& layout : app::ButtonLayouts()) {
        auto* button = new tRollOverBtn(pageOf(layout.page));
        button->setObjectName(Latin1(layout.name));
        button->SetCaption(Latin1(layout.caption));
        switch (layout.kind) {
        case app::ButtonKind::Page:
            button->SetFont(buttonFont);
            button->SetImages(imageList1_);
            button->setGeometry(layout.x, layout.y, 128, 32);
            break;
        case app::ButtonKind::Set:
            button->SetFont(buttonFont);
            button->SetImages(imageList3_);
            button->setGeometry(layout.x, layout.y, 32, 24);
            break;
        case app::ButtonKind::Toggle:
            button->SetFont(sansSerif);
            button->SetImages(imageList2_);
            button->setGeometry(layout.x, layout.y, 24, 24);
            // Drawn down while its setting is off; read out as the option its label names.
            button->SetCheckBox(false);
            button->SetLabel(Cell(layout.labelCell));
            break;
        }
        buttons_.insert(button->objectName(), button);
    }
    intfButtons_ = {Button("IntfBtnLAN"), Button("IntfBtnWAN"), Button("IntfBtnLANX"),
                    Button("IntfBtnWANX")};
    tableButtons_ = {Button("TableBtnAddr"), Button("TableBtnRoute"), Button("TableBtnMedia"),
                     Button("TableBtnConn"), Button("TableBtnUDP"),   Button("TableBtnEvents")};
    adslButtons_ = {Button("ADSLBtnUpStream"), Button("ADSLBtnDownStream")};
    // By tag: the order of the settings they switch.
    optionToggles_ = {
        Button("OptionsBtnRawData"),    Button("OptionsBtnCntText"), Button("OptionsBtnConBeep"),
        Button("OptionsBtnSLActive"),   Button("OptionsBtnSLBeep"),  Button("OptionsBtnSLRemError"),
        Button("OptionsBtnSLSender"),   Button("OptionsBtnMinTray"), Button("OptionsBtnSLFileOut"),
        Button("OptionsBtnSLFileDate"), Button("OptionsBtnAutoRun"), Button("OptionsBtnStartTray")};
    for (std::size_t i = 0; i < optionToggles_.size(); ++i)
        optionToggles_[i]->setProperty("tag", static_cast<int>(i) + 1);
    intfButtons_[0]->SetButtonDown(true);
    adslButtons_[0]->SetButtonDown(true);

    for (const app::LabelLayout& layout : app::LabelLayouts()) {
        auto* label = new QLabel(Latin1(layout.text), pageOf(layout.page));
        label->setObjectName(Latin1(layout.name));
        // These show what the router sends (its description, for one): never as markup.
        label->setTextFormat(Qt::PlainText);
        label->setGeometry(layout.x, layout.y, layout.width, layout.height);
        switch (layout.style) {
        case app::LabelStyle::Heading:
            label->setFont(PixelFont(QStringLiteral("Arial"), 19));
            SetTextColour(label, Qt::white);
            break;
        case app::LabelStyle::Status:
            label->setFont(layout.name == "StaticText5" ? sansSerifBold : sansSerif);
            label->setAlignment(Qt::AlignCenter);
            SetTextColour(label, Qt::black);
            break;
        case app::LabelStyle::OptionHead:
            label->setFont(PixelFont(QStringLiteral("Arial"), 17, true));
            SetTextColour(label, Qt::white);
            break;
        }
    }

    for (const app::EditLayout& layout : app::EditLayouts()) {
        auto* edit = new QLineEdit(pageOf(layout.page));
        edit->setObjectName(Latin1(layout.name));
        edit->setGeometry(layout.x, layout.y, layout.width, layout.height);
        edit->setFrame(false);
        edit->setMaxLength(layout.maxLength);
        edit->setFont(sansSerif);
        edit->raise(); // over the value half of its cell
    }

    QWidget* tables = pageOf(app::TablesPageIndex);
    auto* memoFrame = new QFrame(tables);
    memoFrame->setObjectName(QStringLiteral("Memo2Frame"));
    memoFrame->setFrameShape(QFrame::Box);
    memoFrame->setLineWidth(2);
    memoFrame->setAutoFillBackground(true);
    QPalette white = memoFrame->palette();
    white.setColor(QPalette::Window, Qt::white);
    memoFrame->setPalette(white);
    memoFrame->setGeometry(10, 74, 475, 413);
    memo2_ = new QPlainTextEdit(tables);
    memo2_->setObjectName(QStringLiteral("Memo2"));
    memo2_->setReadOnly(true);
    memo2_->setFrameShape(QFrame::NoFrame);
    memo2_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    memo2_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo2_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    memo2_->setFont(PixelFont(QStringLiteral("MS Sans Serif"), 13));
    memo2_->setGeometry(16, 80, 463, 401);
    // Tab stops every eight average characters, as the column headings were spaced for.
    memo2_->setTabStopDistance(8 * QFontMetricsF(memo2_->font()).averageCharWidth());
}

void TForm1::ConnectHandlers() {
    const std::pair<const char*, void (TForm1::*)()> handlers[] = {
        {"SystemBtnSet1", &TForm1::SystemBtnSet1Click},
        {"SystemBtnSet2", &TForm1::SystemBtnSet2Click},
        {"SystemBtnSet3", &TForm1::SystemBtnSet3Click},
        {"SystemBtnRefresh", &TForm1::SystemBtnRefreshClick},
        {"IntfBtnLAN", &TForm1::IntfBtnLANClick},
        {"IntfBtnWAN", &TForm1::IntfBtnWANClick},
        {"IntfBtnLANX", &TForm1::IntfBtnLANXClick},
        {"IntfBtnWANX", &TForm1::IntfBtnWANXClick},
        {"IntfBtnRefresh", &TForm1::IntfBtnRefreshClick},
        {"ADSLBtnUpStream", &TForm1::ADSLBtnUpStreamClick},
        {"ADSLBtnDownStream", &TForm1::ADSLBtnDownStreamClick},
        {"ADSLBtnRefresh", &TForm1::ADSLBtnRefreshClick},
        {"IPBtnRefresh", &TForm1::IPBtnRefreshClick},
        {"ICMPBtnRefresh", &TForm1::ICMPBtnRefreshClick},
        {"TCPBtnRefresh", &TForm1::TCPBtnRefreshClick},
        {"UDPBtnRefresh", &TForm1::UDPBtnRefreshClick},
        {"SNMPBtnRefresh", &TForm1::SNMPBtnRefreshClick},
        {"TableBtnAddr", &TForm1::TableBtnAddrClick},
        {"TableBtnRoute", &TForm1::TableBtnRouteClick},
        {"TableBtnMedia", &TForm1::TableBtnMediaClick},
        {"TableBtnConn", &TForm1::TableBtnConnClick},
        {"TableBtnUDP", &TForm1::TableBtnUDPClick},
        {"TableBtnRefresh", &TForm1::TableBtnRefreshClick},
        {"TableBtnSave", &TForm1::TableBtnSaveClick},
        {"TableBtnEvents", &TForm1::TableBtnEventsClick},
        {"OptionsBtnConnect", &TForm1::OptionsBtnConnectClick},
        {"OptionsBtnSysLogFile", &TForm1::OptionsBtnSysLogFileClick},
    };
    for (const auto& [name, handler] : handlers)
        connect(Button(name), &tRollOverBtn::clicked, this, handler);
    for (tRollOverBtn* toggle : optionToggles_)
        connect(toggle, &tRollOverBtn::clicked, this,
                [this, toggle] { OptionsBtnSLActiveClick(toggle); });
    connect(ui_.Edit1, &QLineEdit::editingFinished, this, &TForm1::Edit1Exit);
    connect(ui_.Edit2, &QLineEdit::editingFinished, this, &TForm1::Edit2Exit);
    connect(ui_.Edit6, &QLineEdit::editingFinished, this, &TForm1::Edit6Exit);
}
