#include "locallink/Frames.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QtEndian>
#include <algorithm>
#include <cmath>

namespace locallink {

namespace {

constexpr qsizetype HeaderBytes = 4;

// A number as the other side sent it; one no int64_t can hold reads as 0.
int64_t Int64Of(const QJsonValue& value) {
    const double d = value.toDouble();
    return std::isfinite(d) && std::abs(d) < 9.0e18 ? static_cast<int64_t>(d) : 0;
}

} // namespace

QByteArray Frame(const QJsonObject& message) {
    const QByteArray body = QJsonDocument(message).toJson(QJsonDocument::Compact);
    if (body.size() > MaxFrameBytes) return {};
    QByteArray frame(HeaderBytes, '\0');
    qToBigEndian<quint32>(static_cast<quint32>(body.size()), frame.data());
    return frame + body;
}

std::optional<QJsonObject> FrameReader::Next() {
    if (broken_ || buffer_.size() < HeaderBytes) return std::nullopt;
    const quint32 length = qFromBigEndian<quint32>(buffer_.constData());
    if (length == 0 || length > MaxFrameBytes) {
        broken_ = true;
        return std::nullopt;
    }
    if (buffer_.size() < HeaderBytes + qsizetype(length)) return std::nullopt;
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(buffer_.mid(HeaderBytes, length), &error);
    buffer_.remove(0, HeaderBytes + length);
    if (error.error != QJsonParseError::NoError || !doc.isObject() ||
        !doc.object().value(QLatin1String("type")).isString()) {
        broken_ = true;
        return std::nullopt;
    }
    return doc.object();
}

QJsonObject EventsMessage(const std::vector<core::history::Event>& events) {
    QJsonArray list;
    for (std::size_t i = 0; i < events.size() && qsizetype(i) < MaxListEntries; ++i)
        list.append(QJsonObject{{"time", double(events[i].time)},
                                {"kind", int(events[i].kind)},
                                {"detail", events[i].detail.left(512)}});
    return {{"type", "events"}, {"events", list}};
}

std::vector<core::history::Event> EventsOf(const QJsonObject& message) {
    std::vector<core::history::Event> events;
    const QJsonArray list = message.value(QLatin1String("events")).toArray();
    for (qsizetype i = 0; i < std::min(list.size(), MaxListEntries); ++i) {
        const QJsonObject e = list[i].toObject();
        const int kind = e.value(QLatin1String("kind")).toInt(0);
        if (kind < 1 || kind > core::history::EventKindCount) continue;
        events.push_back({Int64Of(e.value(QLatin1String("time"))),
                          static_cast<core::history::EventKind>(kind),
                          e.value(QLatin1String("detail")).toString().left(512)});
    }
    return events;
}

QJsonObject NoticesMessage(const std::vector<core::history::UsageNotice>& notices) {
    QJsonArray list;
    for (std::size_t i = 0; i < notices.size() && qsizetype(i) < MaxListEntries; ++i)
        list.append(QJsonObject{{"percent", notices[i].percent},
                                {"capGB", double(notices[i].capGB)},
                                {"time", double(notices[i].time)},
                                {"used", double(notices[i].used)},
                                {"period", notices[i].period.toString(Qt::ISODate)}});
    return {{"type", "notices"}, {"notices", list}};
}

std::vector<core::history::UsageNotice> NoticesOf(const QJsonObject& message) {
    std::vector<core::history::UsageNotice> notices;
    const QJsonArray list = message.value(QLatin1String("notices")).toArray();
    for (qsizetype i = 0; i < std::min(list.size(), MaxListEntries); ++i) {
        const QJsonObject n = list[i].toObject();
        const int percent = n.value(QLatin1String("percent")).toInt(0);
        if (percent != 80 && percent != 100) continue;
        notices.push_back(
            {percent, Int64Of(n.value(QLatin1String("capGB"))),
             Int64Of(n.value(QLatin1String("time"))), Int64Of(n.value(QLatin1String("used"))),
             QDate::fromString(n.value(QLatin1String("period")).toString(), Qt::ISODate)});
    }
    return notices;
}

} // namespace locallink
