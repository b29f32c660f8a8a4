// The link's frames: a 4-byte big-endian length and that many bytes of one JSON object with a
// string "type". A frame over MaxFrameBytes, or one that is not such an object, breaks the
// stream. Kept apart from the sockets, so the decoder can be driven by a fuzzer.
#pragma once

#include "core/History.h"
#include "core/Usage.h"

#include <QByteArray>
#include <QJsonObject>
#include <optional>
#include <vector>

namespace locallink {

inline constexpr int Version = 1;
inline constexpr qsizetype MaxFrameBytes = 64 * 1024;
// A message's list (line events, notices) is cut to this many entries.
inline constexpr qsizetype MaxListEntries = 64;

QByteArray Frame(const QJsonObject& message);

// Splits what arrives into messages.
class FrameReader {
public:
    void Append(const QByteArray& bytes) { buffer_ += bytes; }
    // The next whole message, if one has arrived; nothing more once Broken().
    std::optional<QJsonObject> Next();
    [[nodiscard]] bool Broken() const { return broken_; }

private:
    QByteArray buffer_;
    bool broken_ = false;
};

// The messages that carry history data, and back; what is not well formed is left out.
QJsonObject EventsMessage(const std::vector<core::history::Event>& events);
std::vector<core::history::Event> EventsOf(const QJsonObject& message);
QJsonObject NoticesMessage(const std::vector<core::history::UsageNotice>& notices);
std::vector<core::history::UsageNotice> NoticesOf(const QJsonObject& message);

} // namespace locallink
