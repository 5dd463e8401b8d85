// Draws the program's icons and artwork and writes them as PNG files. The PNGs are committed;
// run this again only after changing a picture:
//   cmake --build BUILD --target horalux-icongen && BUILD/bin/horalux-icongen resources
// Tray icons 109 (GPS reference), 138 (network reference), 140 (network, setting the clock) and
// 141 (network unreachable) go to icons/ID-SIZE.png; the artwork 112 to bitmaps/112.png. The
// program's own icon 109 also comes in the larger sizes of a desktop's menus (128, 256) and as a
// scalable picture, icons/109.svg, drawn with the same figures.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QSaveFile>
#include <QtMath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

namespace {

const QColor kNavy(0x1d, 0x35, 0x57);
const QColor kGold(0xf2, 0xb1, 0x1c);
const QColor kPanel(0x24, 0x4f, 0x9e);

QPointF onCircle(QPointF centre, qreal radius, qreal degreesFromTwelve) {
    const qreal a = qDegreesToRadians(degreesFromTwelve);
    return centre + QPointF(radius * std::sin(a), -radius * std::cos(a));
}

// A white clock face showing ten past ten.
void drawClock(QPainter& p, const QRectF& r) {
    const qreal d = r.width();
    const qreal rim = std::max(1.0, d / 11.0);
    const QPointF c = r.center();
    const qreal radius = d / 2 - rim / 2;
    p.setPen(QPen(kNavy, rim));
    p.setBrush(Qt::white);
    p.drawEllipse(c, radius, radius);
    if (d >= 18) {
        p.setPen(QPen(kNavy, std::max(1.0, d / 24.0), Qt::SolidLine, Qt::RoundCap));
        for (int h = 0; h < 12; h += 3) {
            p.drawLine(onCircle(c, radius * 0.78, h * 30), onCircle(c, radius * 0.62, h * 30));
        }
    }
    const qreal hand = std::max(1.2, d / 10.0);
    p.setPen(QPen(kNavy, hand, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c, onCircle(c, radius * 0.48, 305));  // hour hand near ten
    p.setPen(QPen(kNavy, hand * 0.8, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c, onCircle(c, radius * 0.72, 60));  // minute hand at two
}

// A satellite with two solar wings, centred on c, size across its wings, tilted 45 degrees.
void drawSatellite(QPainter& p, QPointF c, qreal size) {
    p.save();
    p.translate(c);
    p.rotate(-45);
    const qreal wingW = size * 0.34;
    const qreal wingH = size * 0.26;
    const qreal body = size * 0.26;
    const qreal line = std::max(1.0, size / 18.0);
    p.setPen(QPen(kNavy, line));
    p.drawLine(QPointF(-size / 2 + wingW, 0), QPointF(size / 2 - wingW, 0));
    p.setBrush(kPanel);
    p.setPen(QPen(QColor(0x9c, 0xc3, 0xff), std::max(0.8, size / 28.0)));
    p.drawRect(QRectF(-size / 2, -wingH / 2, wingW, wingH));
    p.drawRect(QRectF(size / 2 - wingW, -wingH / 2, wingW, wingH));
    if (size >= 20) {
        p.drawLine(QPointF(-size / 2 + wingW / 2, -wingH / 2),
                   QPointF(-size / 2 + wingW / 2, wingH / 2));
        p.drawLine(QPointF(size / 2 - wingW / 2, -wingH / 2),
                   QPointF(size / 2 - wingW / 2, wingH / 2));
    }
    p.setPen(QPen(kNavy, line));
    p.setBrush(kGold);
    p.drawRoundedRect(QRectF(-body / 2, -body / 2, body, body), body / 5, body / 5);
    // the antenna, pointing down towards the receiver
    p.drawLine(QPointF(0, body / 2), QPointF(0, body / 2 + size * 0.12));
    p.restore();
}

// A globe with meridians and parallels; grey when the network cannot be reached.
void drawGlobe(QPainter& p, const QRectF& r, bool grey) {
    const QPointF c = r.center();
    const qreal radius = r.width() / 2;
    QRadialGradient fill(c - QPointF(radius * 0.35, radius * 0.35), radius * 1.4);
    fill.setColorAt(0, grey ? QColor(0xc8, 0xcc, 0xd2) : QColor(0x7c, 0xc4, 0xff));
    fill.setColorAt(1, grey ? QColor(0x6b, 0x72, 0x7c) : QColor(0x11, 0x52, 0xb0));
    const qreal rim = std::max(1.0, r.width() / 20.0);
    p.setPen(QPen(grey ? QColor(0x4a, 0x4f, 0x57) : QColor(0x0b, 0x36, 0x78), rim));
    p.setBrush(fill);
    p.drawEllipse(c, radius - rim / 2, radius - rim / 2);

    p.save();
    QPainterPath clip;
    clip.addEllipse(c, radius - rim, radius - rim);
    p.setClipPath(clip);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 200), std::max(0.9, r.width() / 26.0)));
    p.drawLine(QPointF(c.x(), r.top()), QPointF(c.x(), r.bottom()));
    p.drawEllipse(c, radius * 0.5, radius);
    p.drawLine(QPointF(r.left(), c.y()), QPointF(r.right(), c.y()));
    if (r.width() >= 20) {
        for (qreal f : {-0.55, 0.55}) {
            const qreal y = c.y() + radius * f;
            const qreal half = radius * std::sqrt(1 - f * f);
            p.drawLine(QPointF(c.x() - half, y), QPointF(c.x() + half, y));
        }
    }
    p.restore();
}

void drawBadgeDisc(QPainter& p, const QRectF& r, const QColor& colour) {
    p.setPen(QPen(Qt::white, std::max(1.0, r.width() / 9.0)));
    p.setBrush(colour);
    p.drawEllipse(r.adjusted(0.5, 0.5, -0.5, -0.5));
}

// Two curved arrows chasing each other: the clock is being set.
void drawSyncBadge(QPainter& p, const QRectF& r) {
    drawBadgeDisc(p, r, QColor(0x1e, 0x9e, 0x3a));
    const QPointF c = r.center();
    const qreal radius = r.width() * 0.27;
    const qreal pen = std::max(1.0, r.width() / 8.0);
    p.setPen(QPen(Qt::white, pen, Qt::SolidLine, Qt::FlatCap));
    p.setBrush(Qt::NoBrush);
    const QRectF arc(c.x() - radius, c.y() - radius, 2 * radius, 2 * radius);
    p.drawArc(arc, 30 * 16, 120 * 16);
    p.drawArc(arc, 210 * 16, 120 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    const qreal head = r.width() * 0.2;
    for (qreal angle : {150.0, 330.0}) {
        // arrow heads at the ends of the arcs, pointing along the turn
        const qreal a = qDegreesToRadians(angle);
        const QPointF tip(c.x() + radius * std::cos(a), c.y() - radius * std::sin(a));
        const QPointF along(std::sin(a), std::cos(a));
        const QPointF across(std::cos(a), -std::sin(a));
        QPolygonF tri;
        tri << tip + along * head * 0.6 << tip - across * head * 0.55 - along * head * 0.2
            << tip + across * head * 0.55 - along * head * 0.2;
        p.drawPolygon(tri);
    }
}

void drawCrossBadge(QPainter& p, const QRectF& r) {
    drawBadgeDisc(p, r, QColor(0xd3, 0x1f, 0x1f));
    const qreal inset = r.width() * 0.3;
    p.setPen(QPen(Qt::white, std::max(1.4, r.width() / 6.0), Qt::SolidLine, Qt::RoundCap));
    p.drawLine(r.topLeft() + QPointF(inset, inset), r.bottomRight() - QPointF(inset, inset));
    p.drawLine(r.topRight() + QPointF(-inset, inset), r.bottomLeft() + QPointF(inset, -inset));
}

// The sky plot's satellite icons 114 (used in the fix) and 121 (in view) and the sheet of
// activity lights 135, written to bitmaps/ID.png, are drawn in the standard 16-colour palette.
QList<QRgb> sixteenColours() {
    return {qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
            qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
            qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
            qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};
}

QImage inSixteenColours(const QImage& image) {
    return image.convertToFormat(QImage::Format_Indexed8, sixteenColours(), Qt::ThresholdDither);
}

// The sky plot's satellite, 9 x 7 pixels on black: 114 yellow (used in the fix), 121 grey.
QImage satelliteIcon(QRgb colour) {
    static const char* const rows[] = {
        "XX.....XX", "XX.....XX", "XX.XXX.XX", "XXXXXXXXX", "XX.XXX.XX", "XX.....XX", "XX.....XX",
    };
    QImage image(9, 7, QImage::Format_RGB32);
    for (int y = 0; y < 7; ++y) {
        for (int x = 0; x < 9; ++x) {
            image.setPixel(x, y, rows[y][x] == 'X' ? colour : qRgb(0, 0, 0));
        }
    }
    return inSixteenColours(image);
}

// The sheet of activity lights, 48 x 192: 12 rows of 16 x 16 cells (small circular, square and
// large circular LEDs, each in red, green, yellow and blue), 3 columns (lit, dim, grey). Magenta
// is the transparent key. Each light fills the top-left 12 x 12 pixels of its cell, so that it
// also shows whole in the GPS status page's control, which is smaller than a cell.
QImage ledSheet() {
    const QRgb magenta = qRgb(255, 0, 255);
    const QRgb white = qRgb(255, 255, 255);
    const QRgb lightGrey = qRgb(192, 192, 192);
    const QRgb darkGrey = qRgb(128, 128, 128);
    const QRgb lit[] = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(255, 255, 0), qRgb(0, 0, 255)};
    const QRgb dim[] = {qRgb(128, 0, 0), qRgb(0, 128, 0), qRgb(128, 128, 0), qRgb(0, 0, 128)};
    enum Shape { SmallCircle, Square, LargeCircle };

    // The colour of pixel (x, y) of a light: its bezel (white at the top left, dark grey at the
    // bottom right, light grey between), its face, or the key outside it.
    const auto pixel = [&](Shape shape, QRgb face, bool glint, int x, int y) {
        const double centre = 6.0;
        const double dx = x + 0.5 - centre;
        const double dy = y + 0.5 - centre;
        double edge = 0;    // how far inside the outline, in pixels
        double radius = 0;  // the light's half size
        if (shape == Square) {
            radius = 5;
            edge = radius - std::max(std::fabs(dx), std::fabs(dy));
        } else {
            radius = shape == SmallCircle ? 4 : 6;
            edge = radius - std::hypot(dx, dy);
        }
        if (edge <= 0) {
            return magenta;
        }
        if (edge <= (shape == Square ? 1.0 : 1.2)) {
            const double diagonal = (dx + dy) / radius;
            return diagonal < -0.45 ? white : diagonal > 0.45 ? darkGrey : lightGrey;
        }
        if (edge <= 1.9 && shape != SmallCircle) {
            return lightGrey;
        }
        if (glint && x == static_cast<int>(centre - radius * 0.45) &&
            y == static_cast<int>(centre - radius * 0.45)) {
            return white;
        }
        return face;
    };

    QImage image(48, 192, QImage::Format_RGB32);
    for (int shape = 0; shape < 3; ++shape) {
        for (int colour = 0; colour < 4; ++colour) {
            const int top = shape * 64 + colour * 16;
            for (int state = 0; state < 3; ++state) {
                const QRgb face = state == 0 ? lit[colour] : state == 1 ? dim[colour] : darkGrey;
                for (int y = 0; y < 16; ++y) {
                    for (int x = 0; x < 16; ++x) {
                        image.setPixel(state * 16 + x, top + y,
                                       pixel(static_cast<Shape>(shape), face, state == 0, x, y));
                    }
                }
            }
        }
    }
    return inSixteenColours(image);
}

QImage canvas(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

QImage gpsIcon(int s) {
    QImage image = canvas(s, s);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal clock = s * (s < 20 ? 0.64 : 0.66);
    drawClock(p, QRectF(s - clock, s - clock, clock, clock));
    drawSatellite(p, QPointF(s * 0.3, s * 0.3), s * (s < 20 ? 0.66 : 0.6));
    return image;
}

enum class Badge { Clock, Sync, Cross };

QImage networkIcon(int s, Badge badge) {
    QImage image = canvas(s, s);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal globe = s * 0.84;
    drawGlobe(p, QRectF(s * 0.01, s * 0.01, globe, globe), badge == Badge::Cross);
    const qreal b = s * 0.56;
    const QRectF badgeRect(s - b, s - b, b, b);
    switch (badge) {
        case Badge::Clock:
            drawClock(p, badgeRect);
            break;
        case Badge::Sync:
            drawSyncBadge(p, badgeRect);
            break;
        case Badge::Cross:
            drawCrossBadge(p, badgeRect);
            break;
    }
    return image;
}

// The program's artwork: a satellite over the earth, a clock and the name.
QImage artwork() {
    const int w = 140;
    const int h = 180;
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, h);
    sky.setColorAt(0, QColor(0x06, 0x0d, 0x2b));
    sky.setColorAt(0.65, QColor(0x16, 0x3d, 0x7a));
    sky.setColorAt(1, QColor(0x2e, 0x73, 0xc0));
    p.fillRect(image.rect(), sky);

    std::srand(7);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 40; ++i) {
        const qreal x = std::rand() % w;
        const qreal y = std::rand() % 100;
        const qreal r = (std::rand() % 3) * 0.35 + 0.4;
        p.setBrush(QColor(255, 255, 255, 120 + std::rand() % 135));
        p.drawEllipse(QPointF(x, y), r, r);
    }

    // the earth's limb at the bottom
    QRadialGradient earth(QPointF(w / 2.0, h + 150), 230);
    earth.setColorAt(0.6, QColor(0x14, 0x5c, 0xb8));
    earth.setColorAt(0.93, QColor(0x4f, 0xa8, 0xf0));
    earth.setColorAt(1, QColor(0x9f, 0xd8, 0xff));
    p.setBrush(earth);
    p.drawEllipse(QPointF(w / 2.0, h + 150), 230, 230);

    // signal from the satellite to the clock
    p.setPen(QPen(QColor(0xff, 0xb3, 0x47, 200), 1.6, Qt::DashLine, Qt::RoundCap));
    p.drawLine(QPointF(40, 40), QPointF(66, 86));
    drawSatellite(p, QPointF(36, 34), 46);

    drawClock(p, QRectF(56, 62, 62, 62));

    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(20);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(0, 0, 0, 120));
    p.drawText(QRectF(1, 133, w, 26), Qt::AlignCenter, QStringLiteral("Horalux"));
    p.setPen(Qt::white);
    p.drawText(QRectF(0, 132, w, 26), Qt::AlignCenter, QStringLiteral("Horalux"));
    return image;
}

// Icon 109 as SVG text: the figures of gpsIcon() at size s, written as elements.
class SvgIcon {
  public:
    explicit SvgIcon(int s) : s_(s) {}

    std::string text() {
        const qreal clock = s_ * 0.66;
        clockFace(QRectF(s_ - clock, s_ - clock, clock, clock));
        satellite(QPointF(s_ * 0.3, s_ * 0.3), s_ * 0.6);
        return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
               num(s_) + "\" height=\"" + num(s_) + "\" viewBox=\"0 0 " + num(s_) + " " + num(s_) +
               "\">\n" + body_ + "</svg>\n";
    }

  private:
    static std::string num(qreal v) { return QString::number(v, 'f', 2).toStdString(); }
    static std::string colour(const QColor& c) { return c.name().toStdString(); }

    void line(QPointF a, QPointF b, const QColor& c, qreal width, const char* cap = "round") {
        body_ += "  <line x1=\"" + num(a.x()) + "\" y1=\"" + num(a.y()) + "\" x2=\"" + num(b.x()) +
                 "\" y2=\"" + num(b.y()) + "\" stroke=\"" + colour(c) + "\" stroke-width=\"" +
                 num(width) + "\" stroke-linecap=\"" + cap + "\"/>\n";
    }

    void clockFace(const QRectF& r) {
        const qreal d = r.width();
        const qreal rim = std::max(1.0, d / 11.0);
        const QPointF c = r.center();
        const qreal radius = d / 2 - rim / 2;
        body_ += "  <circle cx=\"" + num(c.x()) + "\" cy=\"" + num(c.y()) + "\" r=\"" +
                 num(radius) + "\" fill=\"#ffffff\" stroke=\"" + colour(kNavy) +
                 "\" stroke-width=\"" + num(rim) + "\"/>\n";
        for (int h = 0; h < 12; h += 3) {
            line(onCircle(c, radius * 0.78, h * 30), onCircle(c, radius * 0.62, h * 30), kNavy,
                 std::max(1.0, d / 24.0));
        }
        const qreal hand = std::max(1.2, d / 10.0);
        line(c, onCircle(c, radius * 0.48, 305), kNavy, hand);
        line(c, onCircle(c, radius * 0.72, 60), kNavy, hand * 0.8);
    }

    void rect(const QRectF& r, const QColor& fill, const QColor& stroke, qreal width,
              qreal corner = 0) {
        body_ += "    <rect x=\"" + num(r.x()) + "\" y=\"" + num(r.y()) + "\" width=\"" +
                 num(r.width()) + "\" height=\"" + num(r.height()) + "\"";
        if (corner > 0) {
            body_ += " rx=\"" + num(corner) + "\"";
        }
        body_ += " fill=\"" + colour(fill) + "\" stroke=\"" + colour(stroke) +
                 "\" stroke-width=\"" + num(width) + "\"/>\n";
    }

    void satellite(QPointF c, qreal size) {
        const qreal wingW = size * 0.34;
        const qreal wingH = size * 0.26;
        const qreal body = size * 0.26;
        const qreal pen = std::max(1.0, size / 18.0);
        const QColor wingEdge(0x9c, 0xc3, 0xff);
        const qreal wingPen = std::max(0.8, size / 28.0);
        body_ +=
            "  <g transform=\"translate(" + num(c.x()) + " " + num(c.y()) + ") rotate(-45)\">\n";
        body_ += "  ";
        line({-size / 2 + wingW, 0}, {size / 2 - wingW, 0}, kNavy, pen, "butt");
        rect(QRectF(-size / 2, -wingH / 2, wingW, wingH), kPanel, wingEdge, wingPen);
        rect(QRectF(size / 2 - wingW, -wingH / 2, wingW, wingH), kPanel, wingEdge, wingPen);
        for (qreal x : {-size / 2 + wingW / 2, size / 2 - wingW / 2}) {
            body_ += "  ";
            line({x, -wingH / 2}, {x, wingH / 2}, wingEdge, wingPen, "butt");
        }
        rect(QRectF(-body / 2, -body / 2, body, body), kGold, kNavy, pen, body / 5);
        body_ += "  ";
        line({0, body / 2}, {0, body / 2 + size * 0.12}, kNavy, pen, "butt");
        body_ += "  </g>\n";
    }

    int s_;
    std::string body_;
};

bool saveText(const std::string& text, const QString& path) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(text.data(), static_cast<qint64>(text.size())) < 0 || !file.commit()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

bool save(const QImage& image, const QString& path) {
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: horalux-icongen RESOURCES_DIR\n");
        return 2;
    }
    const QDir root(QString::fromLocal8Bit(argv[1]));
    root.mkpath(QStringLiteral("icons"));
    root.mkpath(QStringLiteral("bitmaps"));

    const std::pair<int, std::function<QImage(int)>> icons[] = {
        {109, gpsIcon},
        {138, [](int s) { return networkIcon(s, Badge::Clock); }},
        {140, [](int s) { return networkIcon(s, Badge::Sync); }},
        {141, [](int s) { return networkIcon(s, Badge::Cross); }},
    };
    bool ok = true;
    ok &= save(satelliteIcon(qRgb(255, 255, 0)), root.filePath(QStringLiteral("bitmaps/114.png")));
    ok &=
        save(satelliteIcon(qRgb(128, 128, 128)), root.filePath(QStringLiteral("bitmaps/121.png")));
    ok &= save(ledSheet(), root.filePath(QStringLiteral("bitmaps/135.png")));
    for (const auto& [id, draw] : icons) {
        for (int size : {16, 22, 24, 32, 48, 64}) {
            ok &= save(draw(size),
                       root.filePath(QStringLiteral("icons/%1-%2.png").arg(id).arg(size)));
        }
    }
    for (int size : {128, 256}) {
        ok &= save(gpsIcon(size), root.filePath(QStringLiteral("icons/109-%1.png").arg(size)));
    }
    ok &= saveText(SvgIcon(256).text(), root.filePath(QStringLiteral("icons/109.svg")));
    ok &= save(artwork(), root.filePath(QStringLiteral("bitmaps/112.png")));
    return ok ? 0 : 1;
}
