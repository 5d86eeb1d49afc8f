#pragma once
// The look of the frame's drop-down menus, in the platform's colours: a shaded column on the
// left that shows the toolbar's picture for every command that also has a button, the
// selection as a blend of the highlight and the window colour, disabled items in two tones
// of grey with grey pictures, a sunken frame around the picture of a checked item, a check
// mark only on checked items without a picture, and the keys in a column of their own.

#include <QProxyStyle>
#include <QRgb>

class QImage;
class QPalette;

namespace kelvandor {

// The colours of the menus, worked out from the platform's: W (window), H (highlight),
// G (grey text). Half a colour halves each channel, a quarter quarters it.
struct MenuColours {
    QRgb background;      // the text area: W
    QRgb iconColumn;      // the picture column: the menu colour
    QRgb selectionFill;   // half H + half W
    QRgb selectionFrame;  // half H + half selection fill (the picture column when selected)
    QRgb disabledText;    // 3 quarters G + a quarter W
    QRgb disabledShadow;  // a quarter G + 3 quarters W
    QRgb text;            // an enabled item's text
    QRgb selectedText;    // a selected item's text
    QRgb checkedColumn;   // the picture column behind a checked item's picture (button face)

    static MenuColours FromPalette(const QPalette& palette);
};

// The grey level of a disabled picture's pixel: from the luminance
// L = (128 blue + 85 green + 44 red) / 256, (L / 3 + 192) * 223 / 256 up to L = 192 and
// 223 + 33 ((L - 192) / 4) / 64 above, all in whole numbers; so between 167 and 230.
int DisabledGrey(QRgb colour);

// A picture in its disabled form: every pixel grey by DisabledGrey, transparency kept.
QImage DisabledPicture(const QImage& picture);

class CMenuStyle : public QProxyStyle {
    Q_OBJECT

public:
    // Picture size of the menu: the toolbar's button size.
    static constexpr int kPictureWidth = 16;
    static constexpr int kPictureHeight = 15;
    static constexpr int kSeparatorHeight = 8;

    // Draws over the application's style, which keeps everything but the menu items.
    CMenuStyle();

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget = nullptr) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
};

}  // namespace kelvandor
