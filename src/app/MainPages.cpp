// The data pages and the About page: built by app::PageStack from the layout tables, run by
// app::DataPages and app::AboutPage; the window's handlers only delegate.
#include "Main.h"
#include "app/pages/AboutPage.h"
#include "app/pages/DataPages.h"
#include "app/pages/PageStack.h"

void TForm1::BuildPages() {
    pages_ = std::make_unique<app::PageStack>(
        *pageControl_, app::ButtonImages{imageList1_, imageList2_, imageList3_});
    dataPages_ = std::make_unique<app::DataPages>(
        *pages_, app::DataPages::Outside{settings_, query_, stats_, seams_.messages,
                                         seams_.saveDialog, this, [this] { return History(); }});
}
