// The thirteen pages of the main window, built from the layout tables into the frame's page
// stack: each page with its title, its value cells, its buttons, labels and edits. Every control
// carries its designer name, by which the features that run a page find theirs.
#pragma once

#include "app/pages/PageLayout.h"

#include <QHash>
#include <QStackedWidget>
#include <QString>
#include <QWidget>
#include <array>
#include <string_view>

class QPlainTextEdit;

namespace widgets {
class tImageList;
class tRazCell;
class tRollOverBtn;
} // namespace widgets

namespace app {

// The three button looks: 128 x 32 page buttons, 24 x 24 option toggles, 32 x 24 Set buttons.
struct ButtonImages {
    widgets::tImageList* page;
    widgets::tImageList* toggle;
    widgets::tImageList* set;
};

class PageStack {
public:
    PageStack(QStackedWidget& stack, ButtonImages images);

    [[nodiscard]] QWidget* Page(int index) const { return pages_[static_cast<std::size_t>(index)]; }
    // tRazCellN; nullptr outside 1..CellCount.
    [[nodiscard]] widgets::tRazCell* Cell(int number) const;
    [[nodiscard]] widgets::tRollOverBtn* Button(std::string_view name) const;
    // A label or edit by its designer name; it must exist.
    template <typename T> [[nodiscard]] T* Control(const char* name) const {
        T* control = stack_.findChild<T*>(QString::fromLatin1(name));
        Q_ASSERT(control != nullptr);
        return control;
    }
    [[nodiscard]] QPlainTextEdit* Memo2() const { return memo2_; }

private:
    void AddPages();
    void AddCells();
    void AddButtons();
    void AddLabels();
    void AddEdits();
    void AddTableView();

    QStackedWidget& stack_;
    ButtonImages images_;
    std::array<QWidget*, PageCount> pages_{};
    std::array<widgets::tRazCell*, CellCount> cells_{};
    QHash<QString, widgets::tRollOverBtn*> buttons_;
    QPlainTextEdit* memo2_ = nullptr;
};

} // namespace app
