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

void TForm1::UpdateCell(widgets::tRazCell* cell, const mib::TMIBEntry& entry,
                        const std::string& value) {
    dataPages_->UpdateCell(cell, entry, value);
}
void TForm1::AlignCell(widgets::tRazCell* cell) {
    dataPages_->AlignCell(cell);
}
void TForm1::UpdateAllCells() {
    dataPages_->UpdateAllCells();
}
void TForm1::GetAllData() {
    dataPages_->GetAllData();
}

void TForm1::SystemBtnSet1Click() {
    dataPages_->SetSystemString(1);
}
void TForm1::SystemBtnSet2Click() {
    dataPages_->SetSystemString(2);
}
void TForm1::SystemBtnSet3Click() {
    dataPages_->SetSystemString(3);
}
void TForm1::SystemBtnRefreshClick() {
    dataPages_->RefreshSystem();
}

void TForm1::IntfBtnLANClick() {
    dataPages_->SelectIntfView(1);
}
void TForm1::IntfBtnWANClick() {
    dataPages_->SelectIntfView(2);
}
void TForm1::IntfBtnLANXClick() {
    dataPages_->SelectIntfView(3);
}
void TForm1::IntfBtnWANXClick() {
    dataPages_->SelectIntfView(4);
}
void TForm1::IntfBtnRefreshClick() {
    dataPages_->RefreshInterfaces();
}

void TForm1::ADSLBtnUpStreamClick() {
    dataPages_->SelectADSLView(1);
}
void TForm1::ADSLBtnDownStreamClick() {
    dataPages_->SelectADSLView(2);
}
void TForm1::ADSLBtnRefreshClick() {
    dataPages_->RefreshADSL();
}

void TForm1::IPBtnRefreshClick() {
    dataPages_->RefreshGroup(0);
}
void TForm1::ICMPBtnRefreshClick() {
    dataPages_->RefreshGroup(1);
}
void TForm1::TCPBtnRefreshClick() {
    dataPages_->RefreshGroup(2);
}
void TForm1::UDPBtnRefreshClick() {
    dataPages_->RefreshGroup(3);
}
void TForm1::SNMPBtnRefreshClick() {
    dataPages_->RefreshGroup(4);
}

void TForm1::TableBtnAddrClick() {
    dataPages_->Tables().Select(1);
}
void TForm1::TableBtnRouteClick() {
    dataPages_->Tables().Select(2);
}
void TForm1::TableBtnMediaClick() {
    dataPages_->Tables().Select(3);
}
void TForm1::TableBtnConnClick() {
    dataPages_->Tables().Select(4);
}
void TForm1::TableBtnUDPClick() {
    dataPages_->Tables().Select(5);
}
void TForm1::TableBtnRefreshClick() {
    dataPages_->Tables().Refresh();
}
void TForm1::TableBtnSaveClick() {
    dataPages_->Tables().Save();
}
void TForm1::TableBtnEventsClick() {
    dataPages_->Tables().ShowEvents();
}

void TForm1::AboutBtnWWWClick() {
    about_->OpenHomePage();
}
