#include "app/pages/PageStack.h"

#include "app/pages/Panel.h"
#include "widgets/ImageList.h"
#include "widgets/RazCell.h"
#include "widgets/RollOverBtn.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

using widgets::tRazCell;
using widgets::tRollOverBtn;

namespace app {

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

PageStack::PageStack(QStackedWidget& stack, ButtonImages images) : stack_(stack), images_(images) {
    AddPages();
    AddCells();
    AddButtons();
    AddLabels();
    AddEdits();
    AddTableView();
}

tRazCell* PageStack::Cell(int number) const {
    if (number < 1 || number > CellCount) return nullptr;
    return cells_[static_cast<std::size_t>(number - 1)];
}

tRollOverBtn* PageStack::Button(std::string_view name) const {
    return buttons_.value(Latin1(name), nullptr);
}

// Each page: its title and, on most, the panel below it.
void PageStack::AddPages() {
    for (int i = 0; i < PageCount; ++i) {
        const PageInfo& info = Pages[i];
        auto* page = new QWidget;
        page->setObjectName(Latin1(info.name));
        if (info.panel) {
            auto* panel = new Panel(page);
            panel->setObjectName(Latin1(info.name) + QStringLiteral("Panel"));
            panel->setGeometry(0, 32, 620, 470);
        }
        auto* title = new QLabel(Latin1(info.title), page);
        title->setObjectName(Latin1(info.titleLabel));
        title->setFont(PixelFont(QStringLiteral("Arial"), 24, false, true));
        SetTextColour(title, Qt::white);
        title->setGeometry(8, 0, 600, 30);
        stack_.addWidget(page);
        pages_[static_cast<std::size_t>(i)] = page;
    }
}

// The value cells, labelled and hinted before any data arrives.
void PageStack::AddCells() {
    const QFont sansSerif = SansSerifFont();
    const QFont sansSerifBold = SansSerifFont(true);
    for (const CellLayout& layout : CellLayouts()) {
        if (layout.number < 1 || layout.number > CellCount) continue; // a gap in the table
        auto* cell = new tRazCell(Page(layout.page));
        cell->setObjectName(QStringLiteral("tRazCell%1").arg(layout.number));
        cell->setGeometry(layout.x, layout.y, layout.width, CellHeight);
        cell->SetSeperator(layout.separator);
        cell->SetFont1(sansSerifBold);
        cell->SetFontColor1(Qt::white);
        cell->SetFont2(sansSerif);
        cell->SetFillColor1(WindowColour);
        cell->SetFillColor2(Qt::white);
        cell->SetPen(QPen(Qt::black, 2));
        if (layout.entry != nullptr) {
            cell->SetString1(Latin1(layout.entry->Label));
            cell->setToolTip(Latin1(layout.entry->Hint));
        } else {
            cell->SetString1(Latin1(layout.label));
        }
        cells_[static_cast<std::size_t>(layout.number - 1)] = cell;
    }
}

// The page, Set and toggle buttons; a toggle after its label cell, which names it.
void PageStack::AddButtons() {
    const QFont buttonFont = ArialFont(8, true);
    for (const ButtonLayout& layout : ButtonLayouts()) {
        auto* button = new tRollOverBtn(Page(layout.page));
        button->setObjectName(Latin1(layout.name));
        button->SetCaption(Latin1(layout.caption));
        switch (layout.kind) {
        case ButtonKind::Page:
            button->SetFont(buttonFont);
            button->SetImages(images_.page);
            button->setGeometry(layout.x, layout.y, 128, 32);
            break;
        case ButtonKind::Set:
            button->SetFont(buttonFont);
            button->SetImages(images_.set);
            button->setGeometry(layout.x, layout.y, 32, 24);
            break;
        case ButtonKind::Toggle:
            button->SetFont(SansSerifFont());
            button->SetImages(images_.toggle);
            button->setGeometry(layout.x, layout.y, 24, 24);
            // Drawn down while its setting is off; read out as the option its label names.
            button->SetCheckBox(false);
            button->SetLabel(Cell(layout.labelCell));
            break;
        }
        buttons_.insert(button->objectName(), button);
    }
}

void PageStack::AddLabels() {
    for (const LabelLayout& layout : LabelLayouts()) {
        auto* label = new QLabel(Latin1(layout.text), Page(layout.page));
        label->setObjectName(Latin1(layout.name));
        // These show what the router sends (its description, for one): never as markup.
        label->setTextFormat(Qt::PlainText);
        label->setGeometry(layout.x, layout.y, layout.width, layout.height);
        switch (layout.style) {
        case LabelStyle::Heading:
            label->setFont(PixelFont(QStringLiteral("Arial"), 19));
            SetTextColour(label, Qt::white);
            break;
        case LabelStyle::Status:
            label->setFont(SansSerifFont(layout.name == "StaticText5"));
            label->setAlignment(Qt::AlignCenter);
            SetTextColour(label, Qt::black);
            break;
        case LabelStyle::OptionHead:
            label->setFont(PixelFont(QStringLiteral("Arial"), 17, true));
            SetTextColour(label, Qt::white);
            break;
        }
    }
}

void PageStack::AddEdits() {
    for (const EditLayout& layout : EditLayouts()) {
        auto* edit = new QLineEdit(Page(layout.page));
        edit->setObjectName(Latin1(layout.name));
        edit->setGeometry(layout.x, layout.y, layout.width, layout.height);
        edit->setFrame(false);
        edit->setMaxLength(layout.maxLength);
        edit->setFont(SansSerifFont());
        edit->raise(); // over the value half of its cell
    }
}

// The Tables page's text view in its white frame.
void PageStack::AddTableView() {
    QWidget* tables = Page(TablesPageIndex);
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

} // namespace app
