#include "ui/glyph_button.h"

#include <QCursor>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

using namespace protmon;

namespace {

// Fixed colours so pixels can be told apart: face, caption, highlight, shadow, window frame.
const QColor kFace(0xC0, 0xC0, 0xC0);
const QColor kText(0x00, 0x00, 0xFF);
const QColor kLight(0xFF, 0xFF, 0xFF);
const QColor kDark(0x80, 0x80, 0x80);
const QColor kFrame(0x00, 0x00, 0x00);

void UseTestPalette(QWidget& w) {
    QPalette p = w.palette();
    p.setColor(QPalette::Button, kFace);
    p.setColor(QPalette::ButtonText, kText);
    p.setColor(QPalette::Light, kLight);
    p.setColor(QPalette::Dark, kDark);
    p.setColor(QPalette::Shadow, kFrame);
    w.setPalette(p);
}

// Bounding box of the pixels inside the edges that `match` accepts; null when there are none.
template <class Match>
QRect Box(const QImage& img, Match match) {
    QRect box;
    for (int y = 3; y < img.height() - 3; ++y)
        for (int x = 3; x < img.width() - 3; ++x)
            if (match(img.pixelColor(x, y)))
                box |= QRect(x, y, 1, 1);
    return box;
}

bool Brighter(const QColor& c) {
    return c.lightness() > kFace.lightness() + 8;
}
bool Darker(const QColor& c) {
    return c.lightness() < kFace.lightness() - 8;
}
// Caption pixels: blue ink, also where antialiasing blends it into the face.
bool Ink(const QColor& c) {
    return c.blue() > c.red() + 24;
}
bool Green(const QColor& c) {
    return c.green() > c.red() + 40 && c.green() > c.blue() + 40;
}
bool Olive(const QColor& c) {
    return c.red() == 0x80 && c.green() == 0x80 && c.blue() == 0x00;
}

struct TButton {
    TZidevGlyphButton button;
    explicit TButton(const QString& caption, int width = 97) {
        button.setText(caption);
        UseTestPalette(button);
        button.resize(width, 25);
        // The cursor far away: the thin edge.
        QCursor::setPos(-500, -500);
    }
    QImage Grab() { return button.grab().toImage(); }
};

} // namespace

class GlyphButtonTest : public QObject {
    Q_OBJECT

private slots:
    void NewButtonHasNoGlyph() {
        TZidevGlyphButton b;
        QCOMPARE(b.size(), QSize(75, 25));
        QCOMPARE(b.GlyphKind(), glNone);
        QCOMPARE(b.GlyphWidth(), 0);
        b.SetGlyphKind(glOK);
        QCOMPARE(b.GlyphWidth(), 16);
        QCOMPARE(b.property("GlyphWidth").toInt(), 16);
        // glNone names no picture: the width is 0 and nothing is drawn before the caption.
        b.setProperty("GlyphKind", static_cast<int>(glNone));
        QCOMPARE(b.GlyphKind(), glNone);
        QCOMPARE(b.GlyphWidth(), 0);
    }

    void EveryGlyphLoadsWithOliveAsTransparentColour() {
        for (int k = glOK; k < glNone; ++k) {
            TButton t(QStringLiteral("Go"));
            t.button.SetGlyphKind(static_cast<TGlyphKind>(k));
            QCOMPARE(t.button.GlyphWidth(), 16);
            const QImage img = t.Grab();
            QVERIFY2(Box(img, Olive).isNull(), "olive background drawn");
            QVERIFY2(Box(img, [](const QColor& c) { return c != kFace && !Ink(c); }).isValid(),
                     "glyph not drawn");
        }
    }

    void CaptionCentredWithoutGlyph() {
        for (int width : {75, 97, 140}) {
            TButton t(QStringLiteral("Cancel"), width);
            const QRect ink = Box(t.Grab(), Ink);
            QVERIFY(ink.isValid());
            const int left = ink.left();
            const int right = width - 1 - ink.right();
            QVERIFY2(std::abs(left - right) <= 2,
                     qPrintable(QStringLiteral("%1: %2 vs %3").arg(width).arg(left).arg(right)));
        }
    }

    void GlyphAndCaptionCentredTogether() {
        TButton t(QStringLiteral("OK"));
        t.button.SetGlyphKind(glOK);
        const QImage img = t.Grab();
        const QRect glyph = Box(img, Green);
        const QRect ink = Box(img, Ink);
        QVERIFY(glyph.isValid() && ink.isValid());
        // The glyph comes first, 4 pixels of gap after its 16 columns, then the caption.
        const int textWidth = t.button.fontMetrics().horizontalAdvance(QStringLiteral("OK"));
        const int x = (97 - (textWidth + 16 + 4)) / 2;
        QVERIFY(glyph.left() >= x && glyph.right() < x + 16);
        QVERIFY(ink.left() >= x + 20 && ink.left() <= x + 22);
        const int y = (25 - 16) / 2;
        QVERIFY(glyph.top() >= y && glyph.bottom() < y + 16);
    }

    void AccessKeyMarkerIsNotMeasured() {
        TButton plain(QStringLiteral("Cancel"));
        TButton marked(QStringLiteral("&Cancel"));
        const QRect a = Box(plain.Grab(), Ink);
        const QRect b = Box(marked.Grab(), Ink);
        QCOMPARE(b.left(), a.left());
        QCOMPARE(b.right(), a.right());
    }

    void PressedMovesCaptionAndGlyphOnePixel() {
        TButton t(QStringLiteral("OK"));
        t.button.SetGlyphKind(glOK);
        const QImage up = t.Grab();
        t.button.setDown(true);
        const QImage down = t.Grab();
        QCOMPARE(Box(down, Ink), Box(up, Ink).translated(1, 1));
        QCOMPARE(Box(down, Green), Box(up, Green).translated(1, 1));
        // Sunken edge: shadow on top and left, highlight on bottom and right.
        QCOMPARE(down.pixelColor(0, 10), kDark);
        QCOMPARE(down.pixelColor(40, 0), kDark);
        QCOMPARE(down.pixelColor(96, 10), kLight);
        QCOMPARE(up.pixelColor(0, 10), kLight);
        QCOMPARE(up.pixelColor(96, 10), kDark);
    }

    void DisabledCaptionIsEmbossed() {
        TButton t(QStringLiteral("Cancel"));
        t.button.setEnabled(false);
        const QImage img = t.Grab();
        QVERIFY(Box(img, Ink).isNull());
        const QRect dark = Box(img, Darker);
        const QRect light = Box(img, Brighter);
        QVERIFY(dark.isValid() && light.isValid());
        // The highlight copy lies one pixel right and down, under the shadow-coloured caption.
        QCOMPARE(light.right(), dark.right() + 1);
        QCOMPARE(light.bottom(), dark.bottom() + 1);
        TButton enabled(QStringLiteral("Cancel"));
        QCOMPARE(dark.left(), Box(enabled.Grab(), Ink).left());
    }

    void MouseOverDrawsTheStrongEdge() {
        TButton t(QStringLiteral("Cancel"));
        // Without focus there is no frame around the edge.
        t.button.setFocusPolicy(Qt::NoFocus);
        t.button.show();
        QVERIFY(QTest::qWaitForWindowExposed(&t.button));
        QImage img = t.Grab();
        QVERIFY(!t.button.MouseInside());
        QCOMPARE(img.pixelColor(96, 12), kDark);
        QCOMPARE(img.pixelColor(95, 12), kFace);
        QCursor::setPos(t.button.mapToGlobal(QPoint(48, 12)));
        img = t.Grab();
        QVERIFY(t.button.MouseInside());
        QCOMPARE(img.pixelColor(96, 12), kFrame);
        QCOMPARE(img.pixelColor(95, 12), kDark);
        QCOMPARE(img.pixelColor(0, 12), kLight);
        QCursor::setPos(-500, -500);
        img = t.Grab();
        QVERIFY(!t.button.MouseInside());
        QCOMPARE(img.pixelColor(96, 12), kDark);
    }

    void FocusedDefaultButtonGetsFrameAndFocusRect() {
        TButton t(QStringLiteral("OK"));
        t.button.setDefault(true);
        const QImage img = t.Grab();
        // The window-frame rectangle around the whole button, the edge inside it.
        QCOMPARE(img.pixelColor(0, 12), kFrame);
        QCOMPARE(img.pixelColor(48, 24), kFrame);
        QCOMPARE(img.pixelColor(1, 12), kLight);
    }

    void DoubleClickCountsTwice() {
        TButton t(QStringLiteral("OK"));
        t.button.show();
        QVERIFY(QTest::qWaitForWindowExposed(&t.button));
        QSignalSpy clicks(&t.button, &QPushButton::clicked);
        // What the system sends for a double click: press, release, double click, release.
        QTest::mouseClick(&t.button, Qt::LeftButton);
        QTest::mouseDClick(&t.button, Qt::LeftButton);
        QTest::mouseRelease(&t.button, Qt::LeftButton);
        QCOMPARE(clicks.count(), 2);
    }
};

QTEST_MAIN(GlyphButtonTest)
#include "glyph_button_test.moc"
