// Where every control of the main window sits, as tables: the window is built by walking them,
// and each control carries its designer name as objectName so code and tests find it by name.
#pragma once

#include "mib/MIBConstants.h"

#include <span>
#include <string_view>

namespace app {

inline constexpr int ClientWidth = 764;
inline constexpr int ClientHeight = 507;
inline constexpr int CellCount = 161;
inline constexpr int CellHeight = 24;

// Page indices in the page stack.
enum PageIndex {
    SystemPageIndex = 0,
    InterfacesPageIndex,
    IPPageIndex,
    ICMPPageIndex,
    TCPPageIndex,
    UDPPageIndex,
    SNMPPageIndex,
    TablesPageIndex,
    AboutPageIndex,
    SyslogPageIndex,
    ADSLPageIndex,
    OptionsPageIndex,
    GraphsPageIndex,
    PageCount
};

struct PageInfo {
    std::string_view name;       // objectName of the page
    std::string_view title;      // text of the title label at (8, 0)
    std::string_view titleLabel; // objectName of the title label
    bool panel;                  // a 620 x 470 panel below the title
};
extern const PageInfo Pages[PageCount];

// The menu buttons, in the order of the menu's radio group; `page` is the page each shows.
struct MenuButtonInfo {
    std::string_view name;
    std::string_view caption;
    int page;
    int y; // in the left column, x = 6
};
inline constexpr int MenuButtonCount = 13;
extern const MenuButtonInfo MenuButtons[MenuButtonCount];

// One value cell. `entry` gives the label and hint it carries before any data arrives (the
// interface and ADSL views later relabel theirs); null for the Options page's label cells,
// which take their text from `label`.
struct CellLayout {
    int number; // tRazCellN
    int page;
    int x, y, width, separator;
    const mib::TMIBEntry* entry;
    std::string_view label;
};
std::span<const CellLayout> CellLayouts(); // all 161, by number

enum class ButtonKind { Page, Set, Toggle };
struct ButtonLayout {
    std::string_view name;
    int page;
    std::string_view caption;
    int x, y;
    ButtonKind kind;
    int labelCell = 0; // a toggle's option label (tRazCellN), which also names it
};
std::span<const ButtonLayout> ButtonLayouts();

enum class LabelStyle {
    Heading,   // white Arial, 19 px
    Status,    // centred, on the panel
    OptionHead // panel headings of the Options page
};
struct LabelLayout {
    std::string_view name;
    int page;
    std::string_view text;
    int x, y, width, height;
    LabelStyle style;
};
std::span<const LabelLayout> LabelLayouts();

struct EditLayout {
    std::string_view name;
    int page;
    int x, y, width, height;
    int maxLength;
};
std::span<const EditLayout> EditLayouts();

// The group pages: their dictionary table, the first cell of their run and the refresh button.
struct CounterPage {
    int page;
    std::span<const mib::TMIBEntry> entries;
    int firstCell;
    std::string_view refreshButton;
};
extern const CounterPage CounterPages[5];

} // namespace app
