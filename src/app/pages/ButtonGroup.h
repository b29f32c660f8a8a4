// A row of buttons that behaves as a radio group: one of them drawn down, chosen by its 1-based
// position.
#pragma once

#include "widgets/RollOverBtn.h"

#include <initializer_list>
#include <vector>

namespace app {

class ButtonGroup {
public:
    ButtonGroup() = default;
    ButtonGroup(std::initializer_list<widgets::tRollOverBtn*> buttons) : buttons_(buttons) {}
    explicit ButtonGroup(std::vector<widgets::tRollOverBtn*> buttons)
        : buttons_(std::move(buttons)) {}

    // Every button is assigned (and so repainted), also when its state does not change; a
    // position outside the group leaves them all up.
    void Select(int position) const {
        for (std::size_t i = 0; i < buttons_.size(); ++i)
            buttons_[i]->SetButtonDown(static_cast<int>(i) + 1 == position);
    }
    [[nodiscard]] const std::vector<widgets::tRollOverBtn*>& Buttons() const { return buttons_; }

private:
    std::vector<widgets::tRollOverBtn*> buttons_;
};

} // namespace app
