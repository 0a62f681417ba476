#include "ui/glyph_button.h"

#include <QBitmap>
#include <QCursor>
#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

// The pictures live in a static library; the linker keeps them only if something refers to them.
static void InitGlyphResources() {
    Q_INIT_RESOURCE(glyph_button);
}

namespace protmon {

namespace {

// Resource name of each kind, in the order of TGlyphKind; glNone has none.
constexpr const char* kGlyphResources[] = {
    "GLOK",    "GLCANCEL", "GLHELP",  "GLYES",    "GLNO",
    "GLCLOSE", "GLABORT",  "GLRETRY", "GLIGNORE", "GLALL",
};
static_assert(std::size(kGlyphResources) == glNone);

// Pixels of this colour in a picture are not drawn.
const QColor kTransparentColour(0x80, 0x80, 0x00);

// Windows-style rectangle: right and bottom lie just outside.
struct TRect {
    int left, top, right, bottom;
    void Shrink(int by) {
        left += by;
        top += by;
        right -= by;
        bottom -= by;
    }
    QRect ToQRect() const { return QRect(left, top, right - left, bottom - top); }
};

void HLine(QPainter& p, int x1, int x2, int y, const QColor& c) {
    if (x2 >= x1)
        p.fillRect(QRect(x1, y, x2 - x1 + 1, 1), c);
}

void VLine(QPainter& p, int x, int y1, int y2, const QColor& c) {
    if (y2 >= y1)
        p.fillRect(QRect(x, y1, 1, y2 - y1 + 1), c);
}

// One-pixel edge: `light` on the top and left, `dark` on the right and bottom.
void ThinEdge(QPainter& p, const TRect& r, const QColor& light, const QColor& dark) {
    VLine(p, r.left, r.top, r.bottom - 2, light);
    HLine(p, r.left, r.right - 2, r.top, light);
    VLine(p, r.right - 1, r.top, r.bottom - 1, dark);
    HLine(p, r.left, r.right - 1, r.bottom - 1, dark);
}

// The stronger edge while the mouse is over the button: a frame line outside a shadow line on
// the right and bottom.
void HotEdge(QPainter& p, const TRect& r, const QColor& light, const QColor& dark,
             const QColor& frame) {
    VLine(p, r.right - 1, r.top, r.bottom - 1, frame);
    HLine(p, r.left, r.right - 1, r.bottom - 1, frame);
    VLine(p, r.left, r.top, r.bottom - 2, light);
    HLine(p, r.left, r.right - 2, r.top, light);
    VLine(p, r.right - 2, r.top + 1, r.bottom - 2, dark);
    HLine(p, r.left + 1, r.right - 2, r.bottom - 2, dark);
}

QString WithoutAccelerators(QString caption) {
    return caption.remove(QLatin1Char('&'));
}

} // namespace

TZidevGlyphButton::TZidevGlyphButton(QWidget* parent) : TZidevGlyphButton(QString(), parent) {}

TZidevGlyphButton::TZidevGlyphButton(const QString& caption, QWidget* parent)
    : QPushButton(caption, parent) {
    InitGlyphResources();
    resize(kDefaultWidth, kDefaultHeight);
    setAttribute(Qt::WA_Hover);
}

QSize TZidevGlyphButton::sizeHint() const {
    return QSize(kDefaultWidth, kDefaultHeight);
}

void TZidevGlyphButton::SetGlyphKindValue(int kind) {
    if (kind >= glOK && kind <= glNone)
        SetGlyphKind(static_cast<protmon::TGlyphKind>(kind));
}

void TZidevGlyphButton::SetGlyphKind(protmon::TGlyphKind kind) {
    kind_ = kind;
    if (kind != glNone) {
        QPixmap loaded(QStringLiteral(":/glyphs/") + QLatin1String(kGlyphResources[kind]));
        if (!loaded.isNull()) {
            loaded.setMask(loaded.createMaskFromColor(kTransparentColour, Qt::MaskInColor));
            glyph_ = loaded;
        }
    }
    glyphWidth_ = kind == glNone ? 0 : glyph_.width();
    update();
}

bool TZidevGlyphButton::CursorInside() const {
    return rect().contains(mapFromGlobal(QCursor::pos()));
}

void TZidevGlyphButton::paintEvent(QPaintEvent*) {
    mouseInside_ = CursorInside();
    const QPalette& pal = palette();
    const QColor face = pal.color(QPalette::Button);
    const QColor light = pal.color(QPalette::Light);
    const QColor dark = pal.color(QPalette::Dark);
    const QColor frame = pal.color(QPalette::Shadow);
    const bool pressed = isDown();
    const bool focused = hasFocus();

    QPainter p(this);
    TRect r{0, 0, width(), height()};
    if (isDefault() || focused) {
        p.setPen(frame);
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRect(0, 0, width() - 1, height() - 1));
        r.Shrink(1);
    }
    p.fillRect(r.ToQRect(), face);
    if (mouseInside_)
        HotEdge(p, r, light, dark, frame);
    else
        ThinEdge(p, r, light, dark);
    if (pressed) {
        p.fillRect(r.ToQRect(), face);
        ThinEdge(p, r, dark, light);
    }
    if (isDefault() && focused) {
        TRect f = r;
        f.Shrink(3);
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = f.ToQRect();
        option.backgroundColor = face;
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &p, this);
    }

    const int captionWidth = fontMetrics().horizontalAdvance(WithoutAccelerators(text()));
    int captionStart = 0;
    if (kind_ == glNone || glyph_.isNull()) {
        captionStart = (width() - captionWidth) / 2;
    } else {
        const int x = (width() - (captionWidth + glyph_.width() + kGlyphGap)) / 2;
        const int y = (height() - glyph_.height()) / 2;
        p.drawPixmap(pressed ? x + 1 : x, pressed ? y + 1 : y, glyph_);
        captionStart = x + glyph_.width() + kGlyphGap;
    }
    TRect textRect = r;
    textRect.left = captionStart;
    if (pressed) {
        textRect.left += 1;
        textRect.right += 1;
        textRect.top += 1;
        textRect.bottom += 1;
    }
    constexpr int flags =
        Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextShowMnemonic;
    if (isEnabled()) {
        p.setPen(pal.color(QPalette::ButtonText));
        p.drawText(textRect.ToQRect(), flags, text());
    } else {
        // Embossed: a light copy one pixel right and down under the shadow-coloured caption.
        p.setPen(light);
        p.drawText(textRect.ToQRect().translated(1, 1), flags, text());
        p.setPen(dark);
        p.drawText(textRect.ToQRect(), flags, text());
    }
}

void TZidevGlyphButton::enterEvent(QEnterEvent* event) {
    QPushButton::enterEvent(event);
    if (!mouseInside_)
        update();
}

void TZidevGlyphButton::leaveEvent(QEvent* event) {
    QPushButton::leaveEvent(event);
    if (mouseInside_)
        update();
}

void TZidevGlyphButton::changeEvent(QEvent* event) {
    QPushButton::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::EnabledChange)
        update();
}

void TZidevGlyphButton::mouseDoubleClickEvent(QMouseEvent* event) {
    mousePressEvent(event);
}

} // namespace protmon
