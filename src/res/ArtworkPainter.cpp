#include "ArtworkPainter.h"

#include "res/ArtworkCatalog.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QStringList>

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <numbers>

namespace {

// Fixed-seed generator, so the artwork is the same on every run.
class Random {
public:
    explicit Random(uint32_t seed) : state_(seed) {}
    double Next() {
        state_ = state_ * 1664525u + 1013904223u;
        return static_cast<double>(state_ >> 8) / static_cast<double>(1u << 24);
    }
    double Range(double low, double high) { return low + (high - low) * Next(); }

private:
    uint32_t state_;
};

QImage NewCanvas(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

void Prepare(QPainter& painter) {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::TextAntialiasing);
}

QFont ArtFont(const QStringList& families, double pixelSize, bool bold) {
    QFont font;
    font.setFamilies(families);
    font.setPixelSize(static_cast<int>(std::lround(pixelSize)));
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

QFont ChineseFont(double pixelSize, bool bold) {
    return ArtFont({QStringLiteral("WenQuanYi Micro Hei")}, pixelSize, bold);
}

// Polished gold running from a light top-left to a dark bottom-right.
QLinearGradient Gold(QPointF from, QPointF to) {
    QLinearGradient gradient(from, to);
    gradient.setColorAt(0.0, QColor(0xff, 0xf1, 0xbe));
    gradient.setColorAt(0.28, QColor(0xf0, 0xc8, 0x62));
    gradient.setColorAt(0.55, QColor(0xb9, 0x82, 0x25));
    gradient.setColorAt(0.78, QColor(0xe6, 0xb6, 0x4f));
    gradient.setColorAt(1.0, QColor(0x7a, 0x4c, 0x10));
    return gradient;
}

const QColor kGoldDark(0x3a, 0x24, 0x06);

// ---- edition background ------------------------------------------------------------------

constexpr double kPanelLeft = 140;
constexpr double kPanelTop = 96;
constexpr double kPanelRight = 985;
constexpr double kPanelBottom = 360;
constexpr double kHorizon = 262;
constexpr double kSunX = 655;

QPainterPath PanelPath() {
    constexpr double cut = 16;
    QPainterPath path;
    path.moveTo(kPanelLeft + cut, kPanelTop);
    path.lineTo(kPanelRight - cut, kPanelTop);
    path.lineTo(kPanelRight, kPanelTop + cut);
    path.lineTo(kPanelRight, kPanelBottom - cut);
    path.lineTo(kPanelRight - cut, kPanelBottom);
    path.lineTo(kPanelLeft + cut, kPanelBottom);
    path.lineTo(kPanelLeft, kPanelBottom - cut);
    path.lineTo(kPanelLeft, kPanelTop + cut);
    path.closeSubpath();
    return path;
}

void DrawSky(QPainter& painter) {
    QLinearGradient sky(0, kPanelTop, 0, kHorizon);
    sky.setColorAt(0.0, QColor(0x07, 0x13, 0x2a));
    sky.setColorAt(0.30, QColor(0x14, 0x34, 0x5f));
    sky.setColorAt(0.58, QColor(0x4a, 0x5b, 0x86));
    sky.setColorAt(0.80, QColor(0xc2, 0x7c, 0x5e));
    sky.setColorAt(0.93, QColor(0xf0, 0xab, 0x60));
    sky.setColorAt(1.0, QColor(0xff, 0xd6, 0x86));
    painter.fillRect(QRectF(kPanelLeft, kPanelTop, kPanelRight - kPanelLeft, kHorizon - kPanelTop), sky);

    // Faint stars where the dusk is deepest.
    Random random(7);
    for (int i = 0; i < 70; ++i) {
        const QPointF at(random.Range(kPanelLeft, kPanelRight), random.Range(kPanelTop, kPanelTop + 70));
        const double fade = 1.0 - (at.y() - kPanelTop) / 70.0;
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(255, 250, 235, static_cast<int>(random.Range(40, 150) * fade)));
        const double radius = random.Range(0.4, 1.1);
        painter.drawEllipse(at, radius, radius);
    }

    // The low sun and its glow.
    QRadialGradient glow(QPointF(kSunX, kHorizon - 4), 260);
    glow.setColorAt(0.0, QColor(255, 236, 170, 230));
    glow.setColorAt(0.12, QColor(255, 205, 120, 150));
    glow.setColorAt(0.45, QColor(240, 150, 90, 50));
    glow.setColorAt(1.0, QColor(240, 150, 90, 0));
    painter.fillRect(QRectF(kPanelLeft, kPanelTop, kPanelRight - kPanelLeft, kHorizon - kPanelTop), glow);
    painter.save();
    painter.setClipRect(QRectF(0, 0, 987, kHorizon));
    QRadialGradient disc(QPointF(kSunX, kHorizon + 2), 26);
    disc.setColorAt(0.0, QColor(255, 252, 235));
    disc.setColorAt(0.75, QColor(255, 236, 180));
    disc.setColorAt(1.0, QColor(255, 220, 150, 0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(disc);
    painter.drawEllipse(QPointF(kSunX, kHorizon + 2), 26, 26);
    painter.restore();
}

void DrawClouds(QPainter& painter) {
    struct Bank {
        double x, y, width, height;
    };
    const Bank banks[] = {
        {200, 150, 200, 16}, {350, 122, 260, 20}, {540, 170, 170, 11}, {780, 134, 280, 18}, {880, 196, 170, 12},
        {280, 206, 150, 8},  {450, 226, 230, 6},  {800, 230, 190, 6},  {620, 112, 170, 13}, {950, 156, 110, 12},
    };
    Random random(11);
    painter.setPen(Qt::NoPen);
    for (const Bank& bank : banks) {
        const double nearSun = 1.0 - std::min(1.0, std::abs(bank.x - kSunX) / 520.0);
        const double low = (bank.y - kPanelTop) / (kHorizon - kPanelTop);
        // Soft puffs: a dark slate body, then warm light on the underside facing the low sun.
        const int puffs = 10 + static_cast<int>(random.Range(0, 6));
        for (int layer = 0; layer < 2; ++layer) {
            Random puffRandom(static_cast<uint32_t>(bank.x * 7 + bank.y));
            for (int i = 0; i < puffs; ++i) {
                const double cx = bank.x + puffRandom.Range(-bank.width / 2, bank.width / 2);
                const double rx = puffRandom.Range(bank.width * 0.12, bank.width * 0.26);
                const double ry = puffRandom.Range(bank.height * 0.5, bank.height * 0.95);
                const double cy = bank.y + puffRandom.Range(-bank.height * 0.3, bank.height * 0.15);
                QColor colour;
                QPointF centre(cx, cy);
                if (layer == 0) {
                    colour = QColor(70 + static_cast<int>(60 * low), 66 + static_cast<int>(30 * low),
                                    100 + static_cast<int>(10 * low), 120);
                } else {
                    colour = QColor(255, 168 + static_cast<int>(50 * nearSun), 110 + static_cast<int>(40 * nearSun),
                                    static_cast<int>(60 + 90 * nearSun * (0.4 + low)));
                    centre += QPointF(0, ry * 0.45);
                }
                QRadialGradient puff(QPointF(0, 0), 1.0);
                puff.setColorAt(0.0, colour);
                puff.setColorAt(0.6, QColor(colour.red(), colour.green(), colour.blue(), colour.alpha() * 2 / 3));
                puff.setColorAt(1.0, QColor(colour.red(), colour.green(), colour.blue(), 0));
                painter.save();
                painter.translate(centre);
                painter.scale(rx, layer == 0 ? ry : ry * 0.55);
                painter.setBrush(puff);
                painter.drawEllipse(QPointF(0, 0), 1.0, 1.0);
                painter.restore();
            }
        }
    }
}

QPainterPath IslandPath(double left, double right, double peak, uint32_t seed) {
    Random random(seed);
    QPainterPath path;
    path.moveTo(left, kHorizon + 1);
    const int steps = 14;
    for (int i = 1; i < steps; ++i) {
        const double t = static_cast<double>(i) / steps;
        const double envelope = std::sin(t * std::numbers::pi);
        const double height = peak * envelope * random.Range(0.7, 1.05);
        path.lineTo(left + (right - left) * t, kHorizon - height);
    }
    path.lineTo(right, kHorizon + 1);
    path.closeSubpath();
    return path;
}

void DrawIslands(QPainter& painter) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(86, 70, 104, 200));
    painter.drawPath(IslandPath(250, 360, 9, 3));
    painter.setBrush(QColor(58, 46, 78, 235));
    painter.drawPath(IslandPath(300, 480, 16, 5));
    painter.setBrush(QColor(70, 56, 92, 220));
    painter.drawPath(IslandPath(860, 990, 22, 9));
    // Haze lying on the horizon.
    QLinearGradient haze(0, kHorizon - 14, 0, kHorizon + 14);
    haze.setColorAt(0.0, QColor(255, 200, 150, 0));
    haze.setColorAt(0.5, QColor(255, 205, 150, 70));
    haze.setColorAt(1.0, QColor(255, 200, 150, 0));
    painter.fillRect(QRectF(kPanelLeft, kHorizon - 14, kPanelRight - kPanelLeft, 28), haze);
}

void DrawSea(QPainter& painter) {
    const QRectF sea(kPanelLeft, kHorizon, kPanelRight - kPanelLeft, kPanelBottom - kHorizon);
    QLinearGradient water(0, kHorizon, 0, kPanelBottom);
    water.setColorAt(0.0, QColor(0x6a, 0x68, 0x80));
    water.setColorAt(0.08, QColor(0x2c, 0x45, 0x6c));
    water.setColorAt(0.45, QColor(0x15, 0x2d, 0x50));
    water.setColorAt(1.0, QColor(0x06, 0x12, 0x26));
    painter.fillRect(sea, water);

    // The sun's road on the water: broken golden glints widening towards the viewer.
    Random glints(23);
    for (double y = kHorizon + 1; y < kPanelBottom - 20; y += 2.2) {
        const double depth = (y - kHorizon) / (kPanelBottom - kHorizon);
        const double spread = 10 + depth * 120;
        const int count = 2 + static_cast<int>(depth * 6);
        for (int i = 0; i < count; ++i) {
            const double x = kSunX + glints.Range(-spread, spread);
            const double closeness = 1.0 - std::abs(x - kSunX) / (spread + 1);
            const double length = glints.Range(3, 10 + depth * 28) * (0.4 + closeness);
            const int alpha = static_cast<int>((230 - depth * 170) * (0.35 + 0.65 * closeness));
            painter.setPen(
                QPen(QColor(255, 214, 140, std::max(alpha, 0)), 1.0 + depth * 1.2, Qt::SolidLine, Qt::RoundCap));
            painter.drawLine(QPointF(x - length / 2, y), QPointF(x + length / 2, y));
        }
    }

    // Long swells: soft light and dark bands, closer together near the horizon.
    for (double y = kHorizon + 2, step = 1.5; y < kPanelBottom; y += step, step *= 1.09) {
        const double depth = (y - kHorizon) / (kPanelBottom - kHorizon);
        QLinearGradient band(0, y, 0, y + step);
        band.setColorAt(0.0, QColor(120, 160, 210, static_cast<int>(10 + 22 * depth)));
        band.setColorAt(0.5, QColor(0, 0, 0, 0));
        band.setColorAt(1.0, QColor(0, 4, 14, static_cast<int>(20 + 40 * depth)));
        painter.fillRect(QRectF(kPanelLeft, y, kPanelRight - kPanelLeft, step), band);
    }

    // Wave crests: short bright strokes, larger and sparser towards the viewer.
    Random waves(31);
    for (int i = 0; i < 700; ++i) {
        const double depth = std::pow(waves.Next(), 0.8);
        const double y = kHorizon + 3 + depth * (kPanelBottom - kHorizon - 3);
        const double x = waves.Range(kPanelLeft, kPanelRight);
        const double length = 6 + depth * waves.Range(14, 46);
        const double rise = 0.4 + depth * 1.6;
        QPainterPath crest;
        crest.moveTo(x - length / 2, y + rise * 0.3);
        crest.cubicTo(x - length / 4, y - rise, x + length / 4, y - rise, x + length / 2, y + rise * 0.3);
        const double sunward = 1.0 - std::min(1.0, std::abs(x - kSunX) / 260.0);
        const int alpha = static_cast<int>(waves.Range(30, 90) * (0.6 + 0.6 * depth));
        const QColor colour = sunward > 0.3 ? QColor(255, 210, 150, std::min(alpha + 30, 170))
                                            : QColor(150, 192, 236, std::min(alpha, 130));
        painter.setPen(QPen(colour, 0.7 + depth * 0.9, Qt::SolidLine, Qt::RoundCap));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(crest);
    }
}

// A battleship seen from the side, bow to the right, standing on `waterline`, in a 200-unit
// long drawing grid (x from the stern, y up from the waterline).
void DrawBattleship(QPainter& painter,
                    double left,
                    double waterline,
                    double length,
                    const QColor& body,
                    const QColor& rim) {
    const double s = length / 200.0;
    auto at = [&](double x, double y) { return QPointF(left + x * s, waterline - y * s); };
    auto polygon = [&](std::initializer_list<QPointF> points) {
        QPainterPath path;
        bool first = true;
        for (const QPointF& p : points) {
            if (first)
                path.moveTo(at(p.x(), p.y()));
            else
                path.lineTo(at(p.x(), p.y()));
            first = false;
        }
        path.closeSubpath();
        return path;
    };

    // Hull with a sheer rising to a raked clipper bow and a rounded stern.
    QPainterPath hull;
    hull.moveTo(at(2, 7));
    hull.cubicTo(at(0, 4), at(2, 0), at(8, -1.5));
    hull.lineTo(at(182, -1.5));
    hull.lineTo(at(200, 15));
    hull.lineTo(at(196, 15.5));
    hull.cubicTo(at(170, 12.5), at(140, 11.5), at(122, 11.5));
    hull.lineTo(at(122, 12.5));
    hull.lineTo(at(60, 12.5));
    hull.lineTo(at(60, 10));
    hull.cubicTo(at(30, 9.5), at(12, 8.5), at(2, 7));
    hull.closeSubpath();

    QPainterPath upper;
    // Forward superstructure: a stepped tower with the bridge and the fire-control top.
    upper.addPath(polygon({{98, 12},
                           {98, 20},
                           {101, 20},
                           {101, 28},
                           {104, 28},
                           {104, 36},
                           {106, 36},
                           {106, 44},
                           {108, 44},
                           {108, 52},
                           {115, 52},
                           {115, 44},
                           {117, 44},
                           {117, 33},
                           {121, 33},
                           {121, 24},
                           {125, 24},
                           {125, 12}}));
    upper.addRect(QRectF(at(110.5, 68), at(112, 52)));    // foremast
    upper.addRect(QRectF(at(105, 62.5), at(118, 61.3)));  // yard
    upper.addRect(QRectF(at(107, 57), at(116, 55.8)));
    // Raked funnel with its cap.
    upper.addPath(polygon({{80, 12}, {81, 24}, {83, 40}, {94, 40}, {94, 24}, {96, 12}}));
    upper.addRect(QRectF(at(82.5, 42), at(94.5, 40)));
    // Aft superstructure and mainmast.
    upper.addPath(polygon({{56, 12}, {56, 20}, {60, 20}, {60, 27}, {74, 27}, {74, 20}, {78, 20}, {78, 12}}));
    upper.addRect(QRectF(at(66, 50), at(67.3, 27)));
    upper.addRect(QRectF(at(61, 45), at(72, 44)));
    // Main turrets (two forward, two aft; the inner ones superfiring) and their guns.
    struct Turret {
        double x, deck, dir;
    };
    const Turret turrets[] = {{150, 13.5, 1}, {136, 19.5, 1}, {44, 12.5, -1}, {32, 11.5, -1}};
    for (const Turret& t : turrets) {
        if (t.deck > 15)
            upper.addRect(QRectF(at(t.x - 6, t.deck), at(t.x + 6, 12.5)));  // barbette
        upper.addPath(polygon({{t.x - 8 * t.dir, t.deck},
                               {t.x - 7 * t.dir, t.deck + 5.5},
                               {t.x + 5 * t.dir, t.deck + 5.5},
                               {t.x + 8 * t.dir, t.deck + 2},
                               {t.x + 8 * t.dir, t.deck}}));
        const double muzzle = t.x + 24 * t.dir;
        upper.addPath(polygon({{t.x + 5 * t.dir, t.deck + 3.6},
                               {muzzle, t.deck + 4.3},
                               {muzzle, t.deck + 3.2},
                               {t.x + 5 * t.dir, t.deck + 2.4}}));
    }
    // Secondary mounts along the deck.
    for (double x : {84.0, 100.0, 128.0, 70.0})
        upper.addPath(polygon({{x - 3, 12}, {x - 2.5, 15.5}, {x + 2.5, 15.5}, {x + 3, 12}}));

    QPainterPath ship = hull;
    ship.addPath(upper);
    ship.setFillRule(Qt::WindingFill);
    ship = ship.simplified();

    painter.setPen(Qt::NoPen);
    painter.setBrush(body);
    painter.drawPath(ship);

    // Rim light from the low sun on the upper edges, and a few lit portholes.
    painter.save();
    painter.setClipPath(ship);
    painter.translate(0.6 * s, 0.9 * s);
    painter.setPen(QPen(rim, std::max(0.7, 1.1 * s)));
    painter.setBrush(Qt::NoBrush);
    QPainterPath outline = ship;
    painter.drawPath(outline);
    painter.restore();
    if (length > 100) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(255, 214, 140, 170));
        for (double x = 30; x < 175; x += 9)
            painter.drawEllipse(at(x, 5.5), 0.5 * s, 0.5 * s);
    }

    // Smoke drifting aft from the funnel.
    Random random(static_cast<uint32_t>(left));
    for (int i = 0; i < 16; ++i) {
        const double t = i / 15.0;
        const QPointF centre = at(87 - t * 80, 46 + t * 14 + random.Range(-2, 2));
        const double radius = (4 + t * 10) * s;
        QRadialGradient puff(centre, radius);
        puff.setColorAt(0.0, QColor(52, 52, 64, static_cast<int>(120 * (1 - t))));
        puff.setColorAt(1.0, QColor(52, 52, 64, 0));
        painter.setBrush(puff);
        painter.drawEllipse(centre, radius * 1.5, radius);
    }
}

void DrawShips(QPainter& painter) {
    DrawBattleship(painter, 392, kHorizon + 1, 56, QColor(50, 42, 66, 230), QColor(255, 200, 140, 60));
    DrawBattleship(painter, 470, kHorizon + 1, 38, QColor(58, 48, 74, 220), QColor(255, 200, 140, 50));
    DrawBattleship(painter, 560, kHorizon + 7, 220, QColor(0x0b, 0x12, 0x22), QColor(255, 196, 120, 170));
    // The battleship's wake and reflection.
    painter.setPen(QPen(QColor(200, 220, 240, 90), 1.4, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(560, kHorizon + 8), QPointF(520, kHorizon + 10));
    painter.drawLine(QPointF(772, kHorizon + 6), QPointF(792, kHorizon + 9));
    QLinearGradient reflection(0, kHorizon + 7, 0, kHorizon + 22);
    reflection.setColorAt(0.0, QColor(5, 10, 22, 150));
    reflection.setColorAt(1.0, QColor(5, 10, 22, 0));
    painter.fillRect(QRectF(565, kHorizon + 7, 205, 15), reflection);
}

void DrawGulls(QPainter& painter) {
    const QPointF gulls[] = {{430, 150}, {452, 162}, {470, 146}, {505, 175}, {820, 168}, {842, 176}};
    painter.setPen(QPen(QColor(12, 18, 34, 200), 1.3, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    for (const QPointF& g : gulls) {
        QPainterPath wing;
        wing.moveTo(g + QPointF(-6, -1));
        wing.quadTo(g + QPointF(-3, -4), g);
        wing.quadTo(g + QPointF(3, -4), g + QPointF(6, -1));
        painter.drawPath(wing);
    }
}

// Dark bands under the window buttons and under the progress line, so text stays readable.
void DrawInterfaceBands(QPainter& painter) {
    QLinearGradient top(0, kPanelTop, 0, 152);
    top.setColorAt(0.0, QColor(3, 8, 20, 200));
    top.setColorAt(1.0, QColor(3, 8, 20, 0));
    painter.fillRect(QRectF(kPanelLeft, kPanelTop, kPanelRight - kPanelLeft, 152 - kPanelTop), top);

    QLinearGradient bottom(0, 306, 0, kPanelBottom);
    bottom.setColorAt(0.0, QColor(3, 8, 20, 0));
    bottom.setColorAt(0.3, QColor(3, 8, 20, 190));
    bottom.setColorAt(1.0, QColor(2, 6, 16, 240));
    painter.fillRect(QRectF(kPanelLeft, 306, kPanelRight - kPanelLeft, kPanelBottom - 306), bottom);

    QLinearGradient line(300, 0, 975, 0);
    line.setColorAt(0.0, QColor(240, 200, 110, 0));
    line.setColorAt(0.15, QColor(240, 200, 110, 170));
    line.setColorAt(0.85, QColor(240, 200, 110, 170));
    line.setColorAt(1.0, QColor(240, 200, 110, 0));
    painter.fillRect(QRectF(300, 320, 675, 1), line);

    QRadialGradient vignette(QPointF(600, 230), 560);
    vignette.setColorAt(0.0, QColor(0, 0, 0, 0));
    vignette.setColorAt(0.7, QColor(0, 0, 0, 0));
    vignette.setColorAt(1.0, QColor(0, 0, 0, 140));
    painter.fillRect(QRectF(kPanelLeft, kPanelTop, kPanelRight - kPanelLeft, kPanelBottom - kPanelTop), vignette);
}

void DrawRivet(QPainter& painter, QPointF centre, double radius) {
    QRadialGradient stud(centre - QPointF(radius * 0.35, radius * 0.35), radius * 1.3);
    stud.setColorAt(0.0, QColor(255, 246, 210));
    stud.setColorAt(0.5, QColor(214, 160, 60));
    stud.setColorAt(1.0, QColor(90, 56, 12));
    painter.setPen(QPen(kGoldDark, 0.8));
    painter.setBrush(stud);
    painter.drawEllipse(centre, radius, radius);
}

void DrawPanelFrame(QPainter& painter) {
    const QPainterPath panel = PanelPath();
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(10, 6, 0, 200), 7, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.drawPath(panel);
    painter.setPen(QPen(QBrush(Gold(QPointF(kPanelLeft, kPanelTop), QPointF(kPanelRight, kPanelBottom))), 4,
                        Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.drawPath(panel);
    // A thin inner line gives the frame depth.
    QTransform inset;
    const double sx = (kPanelRight - kPanelLeft - 12) / (kPanelRight - kPanelLeft);
    const double sy = (kPanelBottom - kPanelTop - 12) / (kPanelBottom - kPanelTop);
    const QPointF centre((kPanelLeft + kPanelRight) / 2, (kPanelTop + kPanelBottom) / 2);
    inset.translate(centre.x(), centre.y());
    inset.scale(sx, sy);
    inset.translate(-centre.x(), -centre.y());
    painter.setPen(QPen(QColor(255, 226, 160, 80), 1));
    painter.drawPath(inset.map(panel));

    const QPointF corners[] = {{kPanelLeft + 9, kPanelTop + 9},
                               {kPanelRight - 9, kPanelTop + 9},
                               {kPanelRight - 9, kPanelBottom - 9},
                               {kPanelLeft + 9, kPanelBottom - 9}};
    for (const QPointF& c : corners)
        DrawRivet(painter, c, 3.2);
}

void DrawAnchor(QPainter& painter, QPointF top, double size, const QColor& colour) {
    const double s = size / 20.0;
    painter.save();
    painter.translate(top);
    painter.scale(s, s);
    painter.setPen(QPen(colour, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QPointF(0, 2), 2.2, 2.2);
    painter.drawLine(QPointF(0, 4.2), QPointF(0, 19));
    painter.drawLine(QPointF(-5, 7.5), QPointF(5, 7.5));
    QPainterPath arms;
    arms.moveTo(-8, 13);
    arms.quadTo(-7, 19.5, 0, 19.5);
    arms.quadTo(7, 19.5, 8, 13);
    painter.drawPath(arms);
    painter.drawLine(QPointF(-8, 13), QPointF(-9.5, 15.5));
    painter.drawLine(QPointF(8, 13), QPointF(9.5, 15.5));
    painter.restore();
}

void DrawStar(QPainter& painter, QPointF centre, double radius, const QColor& colour) {
    QPainterPath star;
    for (int i = 0; i < 10; ++i) {
        const double angle = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
        const double r = (i % 2 == 0) ? radius : radius * 0.42;
        const QPointF p(centre.x() + r * std::cos(angle), centre.y() + r * std::sin(angle));
        if (i == 0)
            star.moveTo(p);
        else
            star.lineTo(p);
    }
    star.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawPath(star);
}

// The crest above the middle of the panel's top edge.
void DrawCrest(QPainter& painter) {
    QPainterPath plaque;
    plaque.moveTo(560, kPanelTop + 2);
    plaque.lineTo(586, 74);
    plaque.lineTo(714, 74);
    plaque.lineTo(740, kPanelTop + 2);
    plaque.closeSubpath();
    painter.setPen(QPen(QColor(10, 6, 0, 210), 4));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(plaque);
    painter.setPen(QPen(kGoldDark, 1));
    painter.setBrush(Gold(QPointF(560, 74), QPointF(740, 100)));
    painter.drawPath(plaque);

    QPainterPath inner;
    inner.moveTo(576, kPanelTop - 2);
    inner.lineTo(592, 79);
    inner.lineTo(708, 79);
    inner.lineTo(724, kPanelTop - 2);
    inner.closeSubpath();
    QLinearGradient navy(0, 79, 0, kPanelTop);
    navy.setColorAt(0.0, QColor(0x1a, 0x35, 0x62));
    navy.setColorAt(1.0, QColor(0x08, 0x14, 0x2c));
    painter.setPen(QPen(QColor(255, 230, 170, 120), 0.8));
    painter.setBrush(navy);
    painter.drawPath(inner);

    DrawAnchor(painter, QPointF(650, 80), 13, QColor(0xf4, 0xd3, 0x82));
    DrawStar(painter, QPointF(620, 87), 4.5, QColor(0xf4, 0xd3, 0x82));
    DrawStar(painter, QPointF(680, 87), 4.5, QColor(0xf4, 0xd3, 0x82));
    DrawRivet(painter, QPointF(572, 92), 2.6);
    DrawRivet(painter, QPointF(728, 92), 2.6);
}

// A gold ship's wheel: the emblem on the left whose handles break the panel's outline.
void DrawWheel(QPainter& painter, QPointF centre) {
    constexpr double rimOuter = 112;
    constexpr double rimInner = 94;
    constexpr double handleEnd = 150;
    constexpr int spokes = 8;
    const QLinearGradient gold = Gold(centre - QPointF(handleEnd, handleEnd), centre + QPointF(handleEnd, handleEnd));

    QPainterPath shape;
    QPainterPath ring;
    ring.addEllipse(centre, rimOuter, rimOuter);
    QPainterPath hole;
    hole.addEllipse(centre, rimInner, rimInner);
    ring = ring.subtracted(hole);
    shape.addPath(ring);

    for (int i = 0; i < spokes; ++i) {
        const double angle = i * 2 * std::numbers::pi / spokes + std::numbers::pi / 8;
        QTransform rotate;
        rotate.translate(centre.x(), centre.y());
        rotate.rotateRadians(angle);
        QPainterPath spoke;
        spoke.addRoundedRect(QRectF(20, -4.5, rimOuter - 18, 9), 3, 3);
        QPainterPath handle;  // turned wooden-handle profile, in gold
        handle.moveTo(rimOuter - 2, -5);
        handle.cubicTo(rimOuter + 8, -8, rimOuter + 14, -4, rimOuter + 20, -6.5);
        handle.cubicTo(handleEnd - 14, -9.5, handleEnd - 4, -9, handleEnd, -5);
        handle.cubicTo(handleEnd + 3, -2, handleEnd + 3, 2, handleEnd, 5);
        handle.cubicTo(handleEnd - 4, 9, handleEnd - 14, 9.5, rimOuter + 20, 6.5);
        handle.cubicTo(rimOuter + 14, 4, rimOuter + 8, 8, rimOuter - 2, 5);
        handle.closeSubpath();
        shape.addPath(rotate.map(spoke));
        shape.addPath(rotate.map(handle));
    }
    QPainterPath hub;
    hub.addEllipse(centre, 30, 30);
    shape.addPath(hub);
    shape = shape.simplified();

    // Shadow, outline, metal.
    painter.save();
    painter.translate(3, 5);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 110));
    painter.drawPath(shape);
    painter.restore();
    painter.setPen(QPen(QColor(20, 12, 0, 230), 3.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(shape);
    painter.setPen(Qt::NoPen);
    painter.setBrush(gold);
    painter.drawPath(shape);

    // Engraved grooves along the rim and a boss on the hub.
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(90, 56, 10, 170), 1.4));
    painter.drawEllipse(centre, rimOuter - 6, rimOuter - 6);
    painter.drawEllipse(centre, rimInner + 4, rimInner + 4);
    painter.setPen(QPen(QColor(255, 244, 200, 120), 1.0));
    painter.drawArc(QRectF(centre.x() - rimOuter + 2, centre.y() - rimOuter + 2, 2 * rimOuter - 4, 2 * rimOuter - 4),
                    40 * 16, 100 * 16);
    QRadialGradient boss(centre - QPointF(8, 8), 34);
    boss.setColorAt(0.0, QColor(255, 248, 214));
    boss.setColorAt(0.45, QColor(226, 172, 70));
    boss.setColorAt(1.0, QColor(110, 68, 14));
    painter.setPen(QPen(kGoldDark, 1.2));
    painter.setBrush(boss);
    painter.drawEllipse(centre, 22, 22);
}

void DrawTitle(QPainter& painter, QPointF centre) {
    // A navy plate across the wheel, edged in gold, carrying the game's name.
    const QRectF plate(centre.x() - 150, centre.y() - 30, 300, 60);
    QPainterPath shape;
    shape.moveTo(plate.left(), plate.center().y());
    shape.lineTo(plate.left() + 18, plate.top());
    shape.lineTo(plate.right() - 18, plate.top());
    shape.lineTo(plate.right(), plate.center().y());
    shape.lineTo(plate.right() - 18, plate.bottom());
    shape.lineTo(plate.left() + 18, plate.bottom());
    shape.closeSubpath();
    painter.setPen(QPen(QColor(10, 6, 0, 220), 6, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(shape);
    QLinearGradient navy(0, plate.top(), 0, plate.bottom());
    navy.setColorAt(0.0, QColor(0x20, 0x40, 0x72));
    navy.setColorAt(0.5, QColor(0x0c, 0x1d, 0x3c));
    navy.setColorAt(1.0, QColor(0x05, 0x0d, 0x1f));
    painter.setPen(
        QPen(QBrush(Gold(plate.topLeft(), plate.bottomRight())), 3, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.setBrush(navy);
    painter.drawPath(shape);

    const QFont titleFont = ArtFont({QStringLiteral("DejaVu Serif")}, 40, true);
    const QString title = QStringLiteral("QORVANE");
    QPainterPath text;
    QFont spaced = titleFont;
    spaced.setLetterSpacing(QFont::AbsoluteSpacing, 3);
    text.addText(0, 0, spaced, title);
    const QRectF bounds = text.boundingRect();
    text.translate(centre.x() - bounds.center().x(), centre.y() - bounds.center().y());
    painter.setPen(QPen(QColor(20, 10, 0, 240), 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(text);
    QLinearGradient letters(0, text.boundingRect().top(), 0, text.boundingRect().bottom());
    letters.setColorAt(0.0, QColor(255, 250, 220));
    letters.setColorAt(0.45, QColor(246, 208, 110));
    letters.setColorAt(0.55, QColor(196, 138, 40));
    letters.setColorAt(1.0, QColor(250, 214, 120));
    painter.setPen(Qt::NoPen);
    painter.setBrush(letters);
    painter.drawPath(text);

    // A red ribbon below with the slogan.
    const double top = plate.bottom() + 6;
    const QRectF band(centre.x() - 78, top, 156, 26);
    QPainterPath tails;
    tails.moveTo(band.left() + 6, top + 6);
    tails.lineTo(band.left() - 22, top + 6);
    tails.lineTo(band.left() - 12, top + 19);
    tails.lineTo(band.left() - 22, top + 32);
    tails.lineTo(band.left() + 6, top + 32);
    tails.moveTo(band.right() - 6, top + 6);
    tails.lineTo(band.right() + 22, top + 6);
    tails.lineTo(band.right() + 12, top + 19);
    tails.lineTo(band.right() + 22, top + 32);
    tails.lineTo(band.right() - 6, top + 32);
    painter.setPen(QPen(QColor(40, 4, 4), 1.2));
    painter.setBrush(QColor(0x7c, 0x14, 0x16));
    painter.drawPath(tails);
    QLinearGradient red(0, band.top(), 0, band.bottom());
    red.setColorAt(0.0, QColor(0xe0, 0x3c, 0x32));
    red.setColorAt(1.0, QColor(0x96, 0x1a, 0x1a));
    painter.setPen(QPen(QBrush(Gold(band.topLeft(), band.bottomRight())), 1.6));
    painter.setBrush(red);
    painter.drawRect(band);
    painter.setFont(ChineseFont(17, true));
    painter.setPen(QColor(40, 0, 0, 200));
    painter.drawText(band.translated(1, 1), Qt::AlignCenter, QStringLiteral("怒 海 争 锋"));
    painter.setPen(QColor(0xff, 0xeb, 0xb8));
    painter.drawText(band, Qt::AlignCenter, QStringLiteral("怒 海 争 锋"));
}

// ---- message frame and buttons -----------------------------------------------------------

void DrawCompassRose(QPainter& painter, QPointF centre, double radius, const QColor& colour) {
    painter.setPen(QPen(colour, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(centre, radius, radius);
    painter.drawEllipse(centre, radius * 0.82, radius * 0.82);
    for (int i = 0; i < 8; ++i) {
        const double angle = i * std::numbers::pi / 4;
        const double length = (i % 2 == 0) ? radius * 1.08 : radius * 0.62;
        const double side = (i % 2 == 0) ? radius * 0.12 : radius * 0.09;
        const QPointF tip(centre.x() + length * std::cos(angle), centre.y() + length * std::sin(angle));
        const QPointF left(centre.x() + side * std::cos(angle - std::numbers::pi / 2),
                           centre.y() + side * std::sin(angle - std::numbers::pi / 2));
        const QPointF right(centre.x() + side * std::cos(angle + std::numbers::pi / 2),
                            centre.y() + side * std::sin(angle + std::numbers::pi / 2));
        QPainterPath point;
        point.moveTo(left);
        point.lineTo(tip);
        point.lineTo(right);
        point.closeSubpath();
        painter.setBrush(colour);
        painter.drawPath(point);
    }
}

QPainterPath RoundedRect(const QRectF& rect, double radius) {
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

}  // namespace

QImage ArtworkPainter::Draw(int id, int width, int height) const {
    switch (id) {
        case artwork::kEditionBackground:
            return Background(width, height);
        case artwork::kMessageFrame:
            return MessageFrame(width, height);
        case artwork::kGoldButton:
            return MessageButton(width, height, true, false);
        case artwork::kGoldButtonHover:
            return MessageButton(width, height, true, true);
        case artwork::kBlueButton:
            return MessageButton(width, height, false, false);
        case artwork::kBlueButtonHover:
            return MessageButton(width, height, false, true);
        case artwork::kCloseButton:
            return CloseButton(width, height, false);
        case artwork::kCloseButtonHover:
            return CloseButton(width, height, true);
        case artwork::kMinimizeButton:
            return MinimizeButton(width, height, false);
        case artwork::kMinimizeButtonHover:
            return MinimizeButton(width, height, true);
        case artwork::kNewsButton:
            return NewsButton(width, height);
        case artwork::kProgressFill:
            return ProgressFill(width, height);
        case artwork::kProgressTrack:
            return ProgressTrack(width, height);
        default:
            return {};
    }
}

QImage ArtworkPainter::Icon(int size) const {
    QImage image = NewCanvas(size, size);
    QPainter painter(&image);
    Prepare(painter);
    // Laid out on 320 x 320: the wheel's handles reach 150 from its centre, its shadow a little more.
    painter.scale(size / 320.0, size / 320.0);
    const QPointF centre(157, 156);

    QPainterPath disc;
    disc.addEllipse(centre, 100, 100);
    painter.save();
    painter.setClipPath(disc);
    QLinearGradient sky(0, centre.y() - 100, 0, centre.y() + 12);
    sky.setColorAt(0.0, QColor(0x07, 0x13, 0x2a));
    sky.setColorAt(0.45, QColor(0x14, 0x34, 0x5f));
    sky.setColorAt(0.80, QColor(0xc2, 0x7c, 0x5e));
    sky.setColorAt(1.0, QColor(0xff, 0xd6, 0x86));
    painter.fillRect(QRectF(centre.x() - 100, centre.y() - 100, 200, 112), sky);
    QLinearGradient water(0, centre.y() + 12, 0, centre.y() + 100);
    water.setColorAt(0.0, QColor(0x2c, 0x45, 0x6c));
    water.setColorAt(1.0, QColor(0x06, 0x12, 0x26));
    painter.fillRect(QRectF(centre.x() - 100, centre.y() + 12, 200, 88), water);
    painter.restore();

    DrawWheel(painter, centre);
    return image;
}

QImage ArtworkPainter::Background(int width, int height) {
    QImage image = NewCanvas(width, height);
    QPainter painter(&image);
    Prepare(painter);
    // The artwork is laid out for 987 x 388; other sizes scale it.
    painter.scale(width / 987.0, height / 388.0);

    painter.save();
    painter.setClipPath(PanelPath());
    DrawSky(painter);
    DrawClouds(painter);
    DrawIslands(painter);
    DrawSea(painter);
    DrawShips(painter);
    DrawGulls(painter);
    DrawInterfaceBands(painter);
    painter.restore();

    DrawPanelFrame(painter);
    DrawCrest(painter);
    const QPointF wheelCentre(172, 204);
    DrawWheel(painter, wheelCentre);
    DrawTitle(painter, wheelCentre + QPointF(0, -8));
    return image;
}

QImage ArtworkPainter::MessageFrame(int width, int height) {
    QImage image = NewCanvas(width, height);
    QPainter painter(&image);
    Prepare(painter);
    const QRectF outer(1, 1, width - 2, height - 2);

    // Gold ring, a dark channel, then the navy panel that the box's text sits on.
    painter.setPen(QPen(QColor(16, 8, 0, 230), 2));
    painter.setBrush(Gold(outer.topLeft(), outer.bottomRight()));
    painter.drawPath(RoundedRect(outer, 12));
    painter.setPen(QPen(QColor(255, 244, 205, 140), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(RoundedRect(outer.adjusted(3, 3, -3, -3), 9));

    const QRectF channel = outer.adjusted(10, 9, -10, -9);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(18, 10, 2));
    painter.drawPath(RoundedRect(channel, 6));

    const QRectF panel = channel.adjusted(3, 3, -3, -3);
    QLinearGradient navy(0, panel.top(), 0, panel.bottom());
    navy.setColorAt(0.0, QColor(0x17, 0x33, 0x5c));
    navy.setColorAt(0.45, QColor(0x0c, 0x1e, 0x3b));
    navy.setColorAt(1.0, QColor(0x05, 0x0e, 0x20));
    painter.setBrush(navy);
    painter.drawPath(RoundedRect(panel, 4));
    QRadialGradient light(QPointF(panel.center().x(), panel.top()), panel.width() * 0.6);
    light.setColorAt(0.0, QColor(120, 170, 230, 60));
    light.setColorAt(1.0, QColor(120, 170, 230, 0));
    painter.setBrush(light);
    painter.drawPath(RoundedRect(panel, 4));
    DrawCompassRose(painter, panel.center() + QPointF(0, 6), 52, QColor(150, 190, 240, 22));
    painter.setPen(QPen(QColor(240, 200, 110, 90), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(RoundedRect(panel.adjusted(2.5, 2.5, -2.5, -2.5), 3));

    const QPointF studs[] = {{outer.left() + 6, outer.top() + 6},
                             {outer.right() - 6, outer.top() + 6},
                             {outer.right() - 6, outer.bottom() - 6},
                             {outer.left() + 6, outer.bottom() - 6}};
    for (const QPointF& s : studs)
        DrawRivet(painter, s, 3.0);
    // An anchor medallion in the middle of the top edge.
    const QPointF medal(outer.center().x(), outer.top() + 5);
    DrawRivet(painter, medal + QPointF(0, 0.5), 5.5);
    painter.setPen(QPen(kGoldDark, 1));
    DrawStar(painter, medal + QPointF(0, 0.5), 3.2, QColor(0x1a, 0x35, 0x62));
    return image;
}

QImage ArtworkPainter::MessageButton(int width, int height, bool gold, bool hover) {
    QImage image = NewCanvas(width, height);
    QPainter painter(&image);
    Prepare(painter);
    const QRectF body(1, 1, width - 2, height - 2);

    QLinearGradient fill(0, body.top(), 0, body.bottom());
    QColor edge;
    QColor shine;
    if (gold) {
        fill.setColorAt(0.0, hover ? QColor(0xff, 0xe9, 0xa6) : QColor(0xf6, 0xd4, 0x7c));
        fill.setColorAt(0.48, hover ? QColor(0xe0, 0xa6, 0x3c) : QColor(0xc6, 0x8c, 0x2c));
        fill.setColorAt(0.52, hover ? QColor(0xc0, 0x82, 0x20) : QColor(0xa6, 0x6c, 0x16));
        fill.setColorAt(1.0, hover ? QColor(0x9a, 0x64, 0x14) : QColor(0x78, 0x4c, 0x0c));
        edge = QColor(0x4a, 0x2c, 0x04);
        shine = QColor(255, 250, 220, hover ? 200 : 150);
    } else {
        fill.setColorAt(0.0, hover ? QColor(0x9a, 0xd8, 0xff) : QColor(0x6c, 0xb6, 0xf4));
        fill.setColorAt(0.48, hover ? QColor(0x3c, 0x96, 0xea) : QColor(0x2a, 0x78, 0xd0));
        fill.setColorAt(0.52, hover ? QColor(0x24, 0x78, 0xd0) : QColor(0x1a, 0x5c, 0xae));
        fill.setColorAt(1.0, hover ? QColor(0x1a, 0x56, 0xa4) : QColor(0x10, 0x3a, 0x78));
        edge = QColor(0x06, 0x1c, 0x40);
        shine = QColor(220, 245, 255, hover ? 200 : 150);
    }
    painter.setPen(QPen(edge, 1.5));
    painter.setBrush(fill);
    painter.drawPath(RoundedRect(body, 6));
    // Bevel: a bright upper edge and a darker lower edge.
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(shine, 1));
    painter.drawLine(QPointF(body.left() + 6, body.top() + 1.5), QPointF(body.right() - 6, body.top() + 1.5));
    painter.setPen(QPen(QColor(0, 0, 0, 70), 1));
    painter.drawLine(QPointF(body.left() + 6, body.bottom() - 1.5), QPointF(body.right() - 6, body.bottom() - 1.5));
    // Small gold or silver end caps like rope fittings.
    const QColor cap = gold ? QColor(0x5a, 0x36, 0x08, 160) : QColor(0xd8, 0xec, 0xff, 130);
    painter.setPen(Qt::NoPen);
    painter.setBrush(cap);
    painter.drawEllipse(QPointF(body.left() + 8, body.center().y()), 2.2, 2.2);
    painter.drawEllipse(QPointF(body.right() - 8, body.center().y()), 2.2, 2.2);
    if (hover) {
        QRadialGradient glow(body.center(), body.width() * 0.55);
        glow.setColorAt(0.0, QColor(255, 255, 255, 60));
        glow.setColorAt(1.0, QColor(255, 255, 255, 0));
        painter.setBrush(glow);
        painter.drawPath(RoundedRect(body, 6));
    }
    return image;
}

QImage ArtworkPainter::CloseButton(int width, int height, bool hover) {
    QImage image = NewCanvas(width, height);
    QPainter painter(&image);
    Prepare(painter);
    const QPointF centre(width / 2.0, height / 2.0);
    const double radius = std::min(width, height) / 2.0 - 1.2;

    QRadialGradient fill(centre - QPointF(radius * 0.3, radius * 0.4), radius * 1.4);
    if (hover) {
        fill.setColorAt(0.0, QColor(0xf0, 0x6a, 0x4a));
        fill.setColorAt(1.0, QColor(0x8a, 0x16, 0x10));
    } else {
        fill.setColorAt(0.0, QColor(0x24, 0x40, 0x6a, 235));
        fill.setColorAt(1.0, QColor(0x06, 0x10, 0x24, 235));
    }
    painter.setPen(QPen(QBrush(Gold(centre - QPointF(radius, radius), centre + QPointF(radius, radius))), 1.6));
    painter.setBrush(fill);
    painter.drawEllipse(centre, radius, radius);

    const double arm = radius * 0.38;
    painter.setPen(QPen(hover ? QColor(255, 255, 255) : QColor(0xf2, 0xd8, 0x9a), 2.2, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(centre + QPointF(-arm, -arm), centre + QPointF(arm, arm));
    painter.drawLine(centre + QPointF(-arm, arm), centre + QPointF(arm, -arm));
    return image;
}

QImage ArtworkPainter::MinimizeButton(int width, int height, bool hover) {
    QImage image = NewCanvas(width, height);
    QPainter painter(&image);
    Prepare(painter);
    // A pennant hanging from the top edge, with a notch at its foot.
    const double left = 3;
    const double right = width - 3;
    const double foot = height - 2;
    QPainterPath pennant;
    pennant.moveTo(left, 0);
    pennant.lineTo(right, 0);
    pennant.lineTo(right, foot);
    pennant.lineTo(width / 2.0, foot - 7);
    pennant.lineTo(left, foot);
    pennant.closeSubpath();

    const QRectF bounds(0, 0, width, height);
    painter.setPen(
        QPen(QBrush(Gold(bounds.topLeft(), bounds.bottomRight())), 1.5, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    if (hover) {
        painter.setBrush(Gold(bounds.topLeft(), bounds.bottomRight()));
    } else {
        QLinearGradient navy(0, 0, 0, height);
        navy.setColorAt(0.0, QColor(0x22, 0x3e, 0x6a, 240));
        navy.setColorAt(1.0, QColor(0x07, 0x12, 0x28, 240));
        painter.setBrush(navy);
    }
    painter.drawPath(pennant);
    painter.setPen(QPen(hover ? QColor(0x0c, 0x1d, 0x3c) : QColor(0xf2, 0xd8, 0x9a), 2.6, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(width / 2.0 - 6.5, height * 0.42), QPointF(width / 2.0 + 6.5, height * 0.42));
    return image;
}

QImage ArtworkPainter::NewsButton(int width, int height) {
    QImage image = NewCanvas(width, height);
    QPainter painter(&image);
    Prepare(painter);
    const QRectF body(0.75, 0.75, width - 1.5, height - 1.5);
    QLinearGradient navy(0, 0, 0, height);
    navy.setColorAt(0.0, QColor(0x1c, 0x38, 0x64, 225));
    navy.setColorAt(1.0, QColor(0x06, 0x10, 0x24, 235));
    painter.setPen(QPen(QBrush(Gold(body.topLeft(), body.bottomRight())), 1.3));
    painter.setBrush(navy);
    painter.drawPath(RoundedRect(body, 4));

    DrawAnchor(painter, QPointF(15, 5), 16, QColor(0xf4, 0xd3, 0x82));
    painter.setFont(ChineseFont(15, true));
    painter.setPen(QColor(0xf6, 0xdc, 0x9c));
    painter.drawText(QRectF(26, 0, width - 44, height), Qt::AlignCenter, QStringLiteral("官方网站 · 最新公告"));
    QPainterPath arrow;
    arrow.moveTo(width - 15, height / 2.0 - 4.5);
    arrow.lineTo(width - 9, height / 2.0);
    arrow.lineTo(width - 15, height / 2.0 + 4.5);
    painter.setPen(QPen(QColor(0xf6, 0xdc, 0x9c), 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(arrow);
    return image;
}

QImage ArtworkPainter::ProgressFill(int width, int height) {
    QImage image = NewCanvas(width, height);
    // Gold with a bright top row and a subtle sheen along the length.
    const QColor rows[] = {QColor(0xff, 0xf2, 0xb8), QColor(0xf6, 0xc8, 0x5a), QColor(0xdc, 0x9c, 0x2c),
                           QColor(0xa8, 0x6c, 0x14)};
    for (int y = 0; y < height; ++y) {
        const QColor base = rows[std::min(y * 4 / std::max(height, 1), 3)];
        for (int x = 0; x < width; ++x) {
            const double sheen = 0.92 + 0.08 * std::sin(x * 2 * std::numbers::pi / 57.0);
            const double ramp = 0.8 + 0.2 * x / std::max(width - 1, 1);
            const double k = sheen * ramp;
            image.setPixelColor(x, y,
                                QColor(std::min(255, static_cast<int>(base.red() * k + 20 * (1 - ramp))),
                                       std::min(255, static_cast<int>(base.green() * k)),
                                       std::min(255, static_cast<int>(base.blue() * k))));
        }
    }
    return image;
}

QImage ArtworkPainter::ProgressTrack(int width, int height) {
    QImage image = NewCanvas(width, height);
    // A groove cut into the panel: dark on top, a faint light lip below.
    for (int y = 0; y < height; ++y) {
        QColor colour;
        if (y == 0)
            colour = QColor(0, 0, 0, 220);
        else if (y == height - 1)
            colour = QColor(120, 150, 190, 140);
        else
            colour = QColor(18, 32, 58, 230);
        for (int x = 0; x < width; ++x)
            image.setPixelColor(x, y, colour);
    }
    return image;
}
