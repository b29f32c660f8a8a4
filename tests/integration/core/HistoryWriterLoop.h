// What the history writer loop stores: each sample's values, its missing ones and its event
// follow from its time alone, so a half-written row or a stray event shows.
#pragma once

#include "core/History.h"

namespace loop {

inline std::optional<int64_t> Value(int64_t time, int column) {
    if ((time / 60 + column) % 7 == 0) return std::nullopt;
    return (time % 100003) * (column + 1);
}

inline bool HasEvent(int64_t time) {
    return (time / 60) % 5 == 0;
}

} // namespace loop
