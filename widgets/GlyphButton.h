#pragma once

#include <QPushButton>

namespace tavorim {

// A push button with a stock glyph: "&Fermer" closes its window; "OK", the default button,
// accepts its dialog.
class GlyphButton : public QPushButton {
    Q_OBJECT
    Q_PROPERTY(Kind kind READ kind WRITE setKind)
    Q_PROPERTY(int margin READ margin WRITE setMargin)

public:
    enum Kind { Close, Ok };
    Q_ENUM(Kind)

    explicit GlyphButton(QWidget *parent = nullptr);

    Kind kind() const { return kind_; }
    void setKind(Kind kind);

    // Distance of the glyph from the left edge, the caption then centred in the space beside
    // it; -1 centres glyph and caption together.
    int margin() const { return margin_; }
    void setMargin(int margin);

    static constexpr int GlyphSize = 18;
    // Where the glyph is drawn, for the current size, caption and font.
    QRect glyphRect() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void closeOrAccept();
    int captionWidth() const;

    Kind kind_ = Close;
    int margin_ = -1;
};

} // namespace tavorim
