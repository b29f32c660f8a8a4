// Draws LineScope's artwork: the three button image sets, the logo, the About picture and the
// program icon, each at 1x and 2x (name@2x.png) so it stays sharp on high-DPI screens. Every
// image is vector-drawn in logical pixels and rendered at each scale, so the two sizes match.
//
// Usage: draw-artwork OUTPUT_DIR   (writes OUTPUT_DIR/images/*.png and OUTPUT_DIR/icons/*.png)
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <cstdio>
#include <functional>

namespace {

// The window's palette: cell and window blue, the panels' lavender grey.
const QColor kBlue(0, 128, 192);
const QColor kNavy(8, 44, 72);
const QColor kTrace(120, 255, 170);
const QColor kTraceOut(255, 190, 90);

using Painter = std::function<void(QPainter&, QSizeF)>;

bool Render(const QString& path, QSize size, qreal scale, const Painter& paint) {
    QImage image(size * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.scale(scale, scale);
        paint(p, QSizeF(size));
    }
    if (!image.save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

bool RenderBoth(const QString& dir, const QString& name, QSize size, const Painter& paint) {
    return Render(dir + QLatin1Char('/') + name + QStringLiteral(".png"), size, 1, paint) &&
           Render(dir + QLatin1Char('/') + name + QStringLiteral("@2x.png"), size, 2, paint);
}

QLinearGradient Vertical(qreal top, qreal bottom, QColor a, QColor b) {
    QLinearGradient g(0, top, 0, bottom);
    g.setColorAt(0, a);
    g.setColorAt(1, b);
    return g;
}

// A rounded plate in three looks. Captions are drawn over it in black, so every look stays
// light in the middle.
enum class Look { Normal, Over, Down };

void Plate(QPainter& p, QSizeF size, Look look, qreal radius) {
    const QRectF outer(0.5, 0.5, size.width() - 1, size.height() - 1);
    const QRectF body = outer.adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal h = size.height();

    // Soft drop shadow below the plate, absent when pushed in.
    if (look != Look::Down) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 40));
        p.drawRoundedRect(body.translated(0, 1), radius, radius);
    }

    QLinearGradient fill;
    QColor border;
    switch (look) {
    case Look::Normal:
        fill = Vertical(0, h, QColor(250, 251, 253), QColor(206, 214, 228));
        border = QColor(84, 98, 128);
        break;
    case Look::Over:
        fill = Vertical(0, h, QColor(255, 255, 255), QColor(196, 226, 246));
        border = kBlue;
        break;
    case Look::Down:
        fill = Vertical(0, h, QColor(158, 196, 226), QColor(214, 232, 246));
        border = QColor(22, 70, 120);
        break;
    }
    p.setPen(QPen(border, 1));
    p.setBrush(fill);
    p.drawRoundedRect(body.adjusted(0, 0, 0, -1), radius, radius);

    // A glossy upper half for the raised looks, an inner top shadow for the pushed one.
    p.setPen(Qt::NoPen);
    const QRectF inner = body.adjusted(1.5, 1.5, -1.5, -2.5);
    if (look == Look::Down) {
        p.setBrush(
            Vertical(inner.top(), inner.top() + 5, QColor(0, 30, 70, 70), QColor(0, 30, 70, 0)));
        p.drawRoundedRect(inner, radius - 1, radius - 1);
    } else {
        QRectF gloss = inner;
        gloss.setHeight(inner.height() * 0.48);
        p.setBrush(Vertical(gloss.top(), gloss.bottom(),
                            QColor(255, 255, 255, look == Look::Over ? 200 : 170),
                            QColor(255, 255, 255, 30)));
        p.drawRoundedRect(gloss, radius - 1, radius - 1);
    }
    if (look == Look::Over) {
        // A thin blue inner ring: the highlight reads on the grey panel and on blue.
        p.setPen(QPen(QColor(0, 128, 192, 110), 1));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(body.adjusted(1, 1, -1, -2), radius - 1, radius - 1);
    }
}

void MenuButton(QPainter& p, QSizeF size, Look look) {
    Plate(p, size, look, 7);
    // A slim status bar along the left edge, lit blue on the selected (down) button. It stays
    // clear of the caption, which is centred over the whole button and may be nearly as wide.
    const QRectF bar(4, size.height() / 2 - 7, 3, 14);
    QLinearGradient glow(bar.topLeft(), bar.bottomLeft());
    if (look == Look::Down) {
        glow.setColorAt(0, QColor(150, 225, 255));
        glow.setColorAt(1, QColor(0, 110, 180));
    } else {
        glow.setColorAt(0, QColor(235, 238, 244));
        glow.setColorAt(1, look == Look::Over ? QColor(120, 170, 205) : QColor(160, 166, 182));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawRoundedRect(bar, 1.5, 1.5);
}

void SetButton(QPainter& p, QSizeF size, Look look) {
    Plate(p, size, look, 5);
}

// Option toggles show their setting: the normal and over looks mean "on" (a lit green lamp
// with a tick), the down look means "off" (a dark lamp on a pushed-in plate).
void Toggle(QPainter& p, QSizeF size, Look look) {
    Plate(p, size, look, 5);
    const QPointF c(size.width() / 2, size.height() / 2 - 0.5);
    const qreal r = 7;
    QRadialGradient lamp(c + QPointF(-2, -2), r * 1.6);
    if (look == Look::Down) {
        lamp.setColorAt(0, QColor(190, 196, 206));
        lamp.setColorAt(1, QColor(96, 104, 120));
    } else {
        const bool over = look == Look::Over;
        lamp.setColorAt(0, over ? QColor(230, 255, 235) : QColor(200, 255, 210));
        lamp.setColorAt(0.55, over ? QColor(60, 215, 100) : QColor(40, 190, 80));
        lamp.setColorAt(1, QColor(10, 120, 50));
    }
    p.setPen(QPen(QColor(30, 45, 70, 190), 1));
    p.setBrush(lamp);
    p.drawEllipse(c, r, r);
    if (look != Look::Down) {
        QPainterPath tick;
        tick.moveTo(c + QPointF(-3.6, 0.2));
        tick.lineTo(c + QPointF(-1.0, 2.8));
        tick.lineTo(c + QPointF(3.8, -2.6));
        p.setPen(QPen(Qt::white, 1.9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(tick);
    }
}

// A scope screen: dark glass with a faint grid.
void Screen(QPainter& p, const QRectF& r, qreal radius, qreal gridStep) {
    p.setPen(QPen(QColor(170, 215, 240), 1));
    p.setBrush(Vertical(r.top(), r.bottom(), QColor(14, 62, 96), kNavy));
    p.drawRoundedRect(r, radius, radius);
    if (gridStep <= 0) return;
    p.save();
    QPainterPath clip;
    clip.addRoundedRect(r.adjusted(1, 1, -1, -1), radius - 1, radius - 1);
    p.setClipPath(clip);
    p.setPen(QPen(QColor(120, 190, 230, 45), 1));
    for (qreal x = r.left() + gridStep; x < r.right(); x += gridStep)
        p.drawLine(QPointF(x, r.top()), QPointF(x, r.bottom()));
    for (qreal y = r.top() + gridStep; y < r.bottom(); y += gridStep)
        p.drawLine(QPointF(r.left(), y), QPointF(r.right(), y));
    p.restore();
}

// The line's signal: a carrier whose envelope swells, the picture of a DSL line at work.
QPainterPath Trace(const QRectF& r, qreal cycles, qreal phase, qreal amplitude) {
    QPainterPath path;
    const int steps = 240;
    for (int i = 0; i <= steps; ++i) {
        const qreal t = qreal(i) / steps;
        const qreal envelope = 0.35 + 0.65 * std::sin(M_PI * t);
        const qreal y = r.center().y() - amplitude * r.height() / 2 * envelope *
                                             std::sin(2 * M_PI * cycles * t + phase);
        const QPointF pt(r.left() + t * r.width(), y);
        if (i == 0)
            path.moveTo(pt);
        else
            path.lineTo(pt);
    }
    return path;
}

void GlowingPath(QPainter& p, const QPainterPath& path, const QColor& colour, qreal width) {
    QColor halo = colour;
    halo.setAlpha(60);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(halo, width * 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
}

QFont Face(qreal pixelSize, int weight, bool italic = false) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(int(std::lround(pixelSize)));
    f.setWeight(QFont::Weight(weight));
    f.setItalic(italic);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

void ShadowedText(QPainter& p, const QRectF& r, int flags, const QString& text, const QFont& f,
                  const QColor& colour) {
    p.setFont(f);
    p.setPen(QColor(0, 20, 40, 150));
    p.drawText(r.translated(0.8, 1), flags, text);
    p.setPen(colour);
    p.drawText(r, flags, text);
}

// 140 x 60, at the top of the blue left column.
void Logo(QPainter& p, QSizeF size) {
    const QRectF screen(4, 4, 46, size.height() - 8);
    Screen(p, screen, 6, 8);
    p.save();
    p.setClipRect(screen.adjusted(2, 2, -2, -2));
    GlowingPath(p, Trace(screen.adjusted(3, 6, -3, -6), 2.5, 0.3, 0.95), kTrace, 1.6);
    p.restore();

    const QRectF words(56, 8, size.width() - 58, 26);
    ShadowedText(p, words, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Line"),
                 Face(21, QFont::Bold), Qt::white);
    ShadowedText(p, QRectF(56, 28, size.width() - 58, 22), Qt::AlignLeft | Qt::AlignVCenter,
                 QStringLiteral("Scope"), Face(19, QFont::Normal, true), QColor(215, 240, 255));
    p.setPen(QPen(QColor(255, 255, 255, 150), 1));
    p.drawLine(QPointF(57, 51.5), QPointF(size.width() - 6, 51.5));
}

// 320 x 160, the About page picture: the scope with both traffic directions over a grid.
void About(QPainter& p, QSizeF size) {
    const QRectF frame(2, 2, size.width() - 4, size.height() - 4);
    p.setPen(QPen(QColor(255, 255, 255, 200), 2));
    p.setBrush(Vertical(frame.top(), frame.bottom(), QColor(0, 138, 206), QColor(0, 96, 150)));
    p.drawRoundedRect(frame, 12, 12);

    const QRectF screen(14, 14, 128, size.height() - 28);
    Screen(p, screen, 8, 16);
    p.save();
    p.setClipRect(screen.adjusted(2, 2, -2, -2));
    GlowingPath(p, Trace(screen.adjusted(4, 18, -4, -18), 4.5, 0.2, 0.9), kTrace, 2);
    GlowingPath(p, Trace(screen.adjusted(4, 34, -4, -34), 2.0, 1.9, 0.9), kTraceOut, 1.6);
    p.restore();

    const qreal x = screen.right() + 12;
    ShadowedText(p, QRectF(x, 22, size.width() - x - 12, 36), Qt::AlignLeft | Qt::AlignVCenter,
                 QStringLiteral("LineScope"), Face(25, QFont::Bold), Qt::white);
    const QFont small = Face(10.5, QFont::Normal);
    ShadowedText(p, QRectF(x, 62, size.width() - x - 12, 18), Qt::AlignLeft | Qt::AlignVCenter,
                 QStringLiteral("ADSL router monitor"), small, QColor(220, 242, 255));
    ShadowedText(p, QRectF(x, 80, size.width() - x - 12, 18), Qt::AlignLeft | Qt::AlignVCenter,
                 QStringLiteral("SNMP \u00b7 syslog \u00b7 traffic"), small, QColor(220, 242, 255));

    // Legend lamps for the two traces.
    const struct {
        QColor colour;
        const char* text;
        qreal y;
    } legend[] = {{kTrace, "in", 116}, {kTraceOut, "out", 132}};
    for (const auto& l : legend) {
        p.setPen(Qt::NoPen);
        p.setBrush(l.colour);
        p.drawRoundedRect(QRectF(x, l.y - 3, 16, 6), 3, 3);
        ShadowedText(p, QRectF(x + 22, l.y - 8, 80, 16), Qt::AlignLeft | Qt::AlignVCenter,
                     QString::fromLatin1(l.text), Face(11, QFont::Normal), Qt::white);
    }
}

// The program icon: the scope screen with one bold trace, simpler at the smallest sizes.
void Icon(QPainter& p, QSizeF size) {
    const qreal s = size.width();
    const bool tiny = s < 32;
    const QRectF plate(s * 0.03, s * 0.03, s * 0.94, s * 0.94);
    p.setPen(QPen(QColor(255, 255, 255, 220), std::max(1.0, s / 48)));
    p.setBrush(Vertical(plate.top(), plate.bottom(), QColor(0, 150, 220), QColor(0, 92, 146)));
    p.drawRoundedRect(plate, s * 0.2, s * 0.2);
    const QRectF screen = plate.adjusted(s * 0.12, s * 0.16, -s * 0.12, -s * 0.16);
    Screen(p, screen, s * 0.08, tiny ? 0 : screen.width() / 4);
    p.save();
    p.setClipRect(screen.adjusted(1, 1, -1, -1));
    const qreal width = tiny ? std::max(1.3, s / 11) : s / 22;
    GlowingPath(
        p,
        Trace(screen.adjusted(s * 0.05, s * 0.1, -s * 0.05, -s * 0.1), tiny ? 1.5 : 2.5, 0.3, 0.95),
        kTrace, width);
    p.restore();
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: draw-artwork OUTPUT_DIR\n");
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    const QString images = root + QStringLiteral("/images");
    const QString icons = root + QStringLiteral("/icons");
    if (!QDir().mkpath(images) || !QDir().mkpath(icons)) return 1;

    struct Set {
        const char* name;
        QSize size;
        void (*draw)(QPainter&, QSizeF, Look);
    };
    const Set sets[] = {{"button", {128, 32}, MenuButton},
                        {"toggle", {24, 24}, Toggle},
                        {"set", {32, 24}, SetButton}};
    const struct {
        Look look;
        const char* suffix;
    } looks[] = {{Look::Normal, ""}, {Look::Over, "_over"}, {Look::Down, "_down"}};

    bool ok = true;
    for (const Set& set : sets)
        for (const auto& look : looks)
            ok = ok && RenderBoth(
                           images, QString::fromLatin1(set.name) + QString::fromLatin1(look.suffix),
                           set.size, [&](QPainter& p, QSizeF s) { set.draw(p, s, look.look); });
    ok = ok && RenderBoth(images, QStringLiteral("logo"), {140, 60}, Logo);
    ok = ok && RenderBoth(images, QStringLiteral("about"), {320, 160}, About);
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        ok = ok &&
             Render(icons + QStringLiteral("/linescope-%1.png").arg(size), {size, size}, 1, Icon);
    return ok ? 0 : 1;
}
