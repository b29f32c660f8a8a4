// Resource paths of the program's own artwork (resources/resources.qrc). Each image has an "@2x"
// twin for high-DPI screens; widgets::LoadArtwork() picks it.
#pragma once

#include "widgets/ImageList.h"

#include <QIcon>

namespace app::artwork {

// The three state images of each button image list, in tImageList order.
struct ImageSetPaths {
    const char* normal;
    const char* over;
    const char* down;
};

// 128 x 32: menu and page buttons.
inline constexpr ImageSetPaths kButton{":/linescope/images/button.png",
                                       ":/linescope/images/button_over.png",
                                       ":/linescope/images/button_down.png"};
// 24 x 24: option toggles; normal shows the setting on, down shows it off.
inline constexpr ImageSetPaths kToggle{":/linescope/images/toggle.png",
                                       ":/linescope/images/toggle_over.png",
                                       ":/linescope/images/toggle_down.png"};
// 32 x 24: the "Set" buttons.
inline constexpr ImageSetPaths kSetButton{":/linescope/images/set.png",
                                          ":/linescope/images/set_over.png",
                                          ":/linescope/images/set_down.png"};

// 140 x 60: the logo at the top of the main window's left column.
inline constexpr const char* kLogo = ":/linescope/images/logo.png";
// 320 x 160: the About page picture.
inline constexpr const char* kAbout = ":/linescope/images/about.png";
// The program icon: an SVG-free set of PNGs, 16 to 256 pixels.
inline constexpr const char* kIconSizes[] = {
    ":/linescope/icons/linescope-16.png", ":/linescope/icons/linescope-24.png",
    ":/linescope/icons/linescope-32.png", ":/linescope/icons/linescope-48.png",
    ":/linescope/icons/linescope-64.png", ":/linescope/icons/linescope-128.png",
    ":/linescope/icons/linescope-256.png"};

// Fills list from one image set; false (list unchanged) when the resources are not linked in.
inline bool LoadImageSet(widgets::tImageList& list, const ImageSetPaths& set) {
    return list.LoadFromFiles(QString::fromLatin1(set.normal), QString::fromLatin1(set.over),
                              QString::fromLatin1(set.down));
}

// The program icon with every size above; a null icon when the resources are not linked in.
inline QIcon ProgramIcon() {
    QIcon icon;
    for (const char* path : kIconSizes)
        icon.addFile(QString::fromLatin1(path));
    return icon;
}

} // namespace app::artwork
