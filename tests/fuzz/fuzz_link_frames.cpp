// libFuzzer target: whatever another process writes to the link, the reader yields only objects
// with a string "type" from frames within the bound, stops for good once broken, and the history
// messages it carries decode to bounded, valid entries.
#include "locallink/Frames.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    locallink::FrameReader reader;
    // Split where the first byte says, as a socket may deliver it in pieces.
    if (size == 0) return 0;
    const QByteArray all(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const std::size_t cut = data[0] % size;
    reader.Append(all.first(qsizetype(cut)));
    int messages = 0;
    for (int part = 0; part < 2; ++part) {
        while (const auto message = reader.Next()) {
            if (!message->value(QLatin1String("type")).isString()) std::abort();
            const auto events = locallink::EventsOf(*message);
            const auto notices = locallink::NoticesOf(*message);
            if (qsizetype(events.size()) > locallink::MaxListEntries ||
                qsizetype(notices.size()) > locallink::MaxListEntries)
                std::abort();
            for (const auto& e : events)
                if (int(e.kind) < 1 || int(e.kind) > core::history::EventKindCount ||
                    e.detail.size() > 512)
                    std::abort();
            for (const auto& n : notices)
                if (n.percent != 80 && n.percent != 100) std::abort();
            // What decodes encodes again within the bound.
            if (locallink::Frame(locallink::EventsMessage(events)).isEmpty()) std::abort();
            ++messages;
        }
        if (reader.Broken() && reader.Next()) std::abort();
        if (part == 0) reader.Append(all.sliced(qsizetype(cut)));
    }
    if (messages > int(size / 5) + 1) std::abort(); // each frame takes at least 5 bytes
    return 0;
}
