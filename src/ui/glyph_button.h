#pragma once

#include <QPixmap>
#include <QPushButton>

namespace protmon {

// Pictures the glyph button can show before its caption; glNone shows none.
enum TGlyphKind {
    glOK,
    glCancel,
    glHelp,
    glYes,
    glNo,
    glClose,
    glAbort,
    glRetry,
    glIgnore,
    glAll,
    glNone
};

// A push button that draws itself: a flat face with a thin raised edge, a stronger edge while the
// mouse is over it, a sunken edge while pressed, an optional glyph before the caption and a focus
// frame. Otherwise it behaves as a push button (click, default button, keyboard).
class TZidevGlyphButton : public QPushButton {
    Q_OBJECT
    Q_PROPERTY(int GlyphKind READ GlyphKind WRITE SetGlyphKindValue)
    Q_PROPERTY(int GlyphWidth READ GlyphWidth)
public:
    static constexpr int kDefaultWidth = 75;
    static constexpr int kDefaultHeight = 25;
    // Gap between the glyph and the caption.
    static constexpr int kGlyphGap = 4;

    explicit TZidevGlyphButton(QWidget* parent = nullptr);
    TZidevGlyphButton(const QString& caption, QWidget* parent = nullptr);

    protmon::TGlyphKind GlyphKind() const { return kind_; }
    // Loads the picture of kind; a picture that cannot be loaded (and glNone) keeps the old one.
    void SetGlyphKind(protmon::TGlyphKind kind);
    int GlyphWidth() const { return glyphWidth_; }
    const QPixmap& Glyph() const { return glyph_; }
    // Whether the last paint saw the mouse over the button.
    bool MouseInside() const { return mouseInside_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    // A quick second click is a second press, so it counts as a click.
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void SetGlyphKindValue(int kind);
    bool CursorInside() const;

    protmon::TGlyphKind kind_ = glNone;
    int glyphWidth_ = 0;
    QPixmap glyph_;
    bool mouseInside_ = false;
};

} // namespace protmon
