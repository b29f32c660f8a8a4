// The traffic graph's side of the main window: its page (GraphPage) built and wired, and the
// graph's handlers, each handed to it.
#include "Main.h"
#include "app/graph/GraphPage.h"
#include "widgets/RollOverBtn.h"

void TForm1::BuildGraphPage() {
    graph_ = new app::GraphPage({*this, *pageControl_, seams_.clock, seams_.cursor, seams_.messages,
                                 seams_.saveDialog, [this] { return History(); }},
                                settings_, query_, stats_);
    connect(Button("GraphBtnClear"), &widgets::tRollOverBtn::clicked, this,
            &TForm1::GraphBtnClearClick);
    connect(Button("GraphsBtnSave"), &widgets::tRollOverBtn::clicked, this,
            &TForm1::GraphsBtnSaveClick);
}

void TForm1::RestoreGraphState() {
    graph_->RestoreState();
}
void TForm1::N3DChart1Click(QAction* sender) {
    graph_->TickItemClicked(sender);
}
void TForm1::StairChart1Click(QAction* sender) {
    graph_->TickItemClicked(sender);
}
void TForm1::ShowValues1Click(QAction* sender) {
    graph_->TickItemClicked(sender);
}
void TForm1::ShowPoints1Click(QAction* sender) {
    graph_->TickItemClicked(sender);
}
void TForm1::ShowValues2Click(QAction* sender) {
    graph_->TickItemClicked(sender);
}
void TForm1::ShowPoints2Click(QAction* sender) {
    graph_->TickItemClicked(sender);
}
void TForm1::NoRefresh1Click(QAction* sender) {
    graph_->IntervalItemClicked(sender);
}
void TForm1::NDwnStream1Click(QAction* sender) {
    graph_->ScaleItemClicked(sender);
}
void TForm1::StartGraph() {
    graph_->StartSampling();
}
void TForm1::Timer2Timer() {
    graph_->Sample();
}
void TForm1::Series1AfterAdd(widgets::TrafficChart* sender, int valueIndex) {
    app::GraphPage::FollowNewest(*sender, valueIndex);
}
void TForm1::SetGraphScale() {
    graph_->SetScale();
}
void TForm1::GraphBtnClearClick() {
    graph_->Clear();
}
void TForm1::GraphsBtnSaveClick() {
    graph_->Save();
}
