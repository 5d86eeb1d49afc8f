#include "app/MenuStyle.h"

#include <algorithm>
#include <cstdlib>

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QStyleOptionMenuItem>

namespace kelvandor {
namespace {

constexpr QRgb kRgbMask = 0xFFFFFF;

QRgb Half(QRgb c) {
    return (c >> 1) & 0x7F7F7F;
}

QRgb Quarter(QRgb c) {
    return (c >> 2) & 0x3F3F3F;
}

QRgb Opaque(QRgb c) {
    return 0xFF000000 | (c & kRgbMask);
}

QRgb Rgb(const QColor& colour) {
    return colour.rgb() & kRgbMask;
}

// The picture column: the picture and 2 pixels either side.
constexpr int kColumnWidth = CMenuStyle::kPictureWidth + 4;
// Space between the picture column and the text, and right of the key column.
constexpr int kTextIndent = 3;
constexpr int kRightMargin = 8;
// Space between an item's text and the key column, so that the keys line up apart.
constexpr int kKeyGap = 16;

struct ItemParts {
    QRect column;  // the picture column
    QRect text;    // from the column to the right edge
    QString label;
    QString keys;
};

ItemParts SplitItem(const QStyleOptionMenuItem& item, bool indent) {
    const QRect& r = item.rect;
    ItemParts parts;
    parts.column = QRect(r.left(), r.top(), kColumnWidth, r.height());
    parts.text = QRect(r.left() + kColumnWidth + (indent ? kTextIndent : 0), r.top(),
                       r.width() - kColumnWidth - (indent ? kTextIndent : 0), r.height());
    const qsizetype tab = item.text.indexOf(QLatin1Char('\t'));
    parts.label = tab < 0 ? item.text : item.text.left(tab);
    parts.keys = tab < 0 ? QString() : item.text.mid(tab + 1);
    return parts;
}

// Text in one colour, or disabled: first the shadow one pixel right and down, then the grey.
void DrawText(QPainter& painter, const QRect& rect, int flags, const QString& text, bool enabled,
              QRgb colour, const MenuColours& colours) {
    if (!enabled) {
        painter.setPen(QColor::fromRgb(colours.disabledShadow));
        painter.drawText(rect.translated(1, 1), flags, text);
        colour = colours.disabledText;
    }
    painter.setPen(QColor::fromRgb(colour));
    painter.drawText(rect, flags, text);
}

void DrawCheckMark(QPainter& painter, const QRect& box, bool enabled, QRgb colour,
                   const MenuColours& colours) {
    QPainterPath tick;
    tick.moveTo(box.left() + 4, box.top() + 7);
    tick.lineTo(box.left() + 7, box.top() + 10);
    tick.lineTo(box.left() + 12, box.top() + 4);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    if (!enabled) {
        painter.setPen(QPen(QColor::fromRgb(colours.disabledShadow), 2));
        painter.drawPath(tick.translated(1, 1));
        colour = colours.disabledText;
    }
    painter.setPen(QPen(QColor::fromRgb(colour), 2));
    painter.drawPath(tick);
    painter.restore();
}

// A checked item's picture sits in a sunken frame: shadow on the top and left edge, light on
// the bottom and right, the inside in the light 3D colour.
void DrawSunkenFrame(QPainter& painter, const QRect& frame, const QPalette& palette) {
    painter.fillRect(frame, palette.color(QPalette::Active, QPalette::Midlight));
    painter.setPen(palette.color(QPalette::Active, QPalette::Dark));
    painter.drawLine(frame.topLeft(), frame.topRight());
    painter.drawLine(frame.topLeft(), frame.bottomLeft());
    painter.setPen(palette.color(QPalette::Active, QPalette::Light));
    painter.drawLine(frame.bottomLeft(), frame.bottomRight());
    painter.drawLine(frame.topRight(), frame.bottomRight());
}

void DrawSeparator(QPainter& painter, const QStyleOptionMenuItem& item, const MenuColours& colours,
                   bool indent) {
    const QRect& r = item.rect;
    painter.fillRect(QRect(r.left(), r.top(), kColumnWidth, r.height()),
                     QColor::fromRgb(colours.iconColumn));
    painter.fillRect(QRect(r.left() + kColumnWidth, r.top(), r.width() - kColumnWidth, r.height()),
                     QColor::fromRgb(colours.background));
    const int y = r.top() + 3;
    const QColor etch = item.palette.color(QPalette::Active, QPalette::Light);
    int textLeft = r.left() + kColumnWidth + kTextIndent;
    if (indent) {
        painter.setPen(item.palette.color(QPalette::Disabled, QPalette::WindowText));
        painter.drawLine(r.left() + 2, y, textLeft - 5, y);
        painter.setPen(etch);
        painter.drawLine(r.left() + 2, y + 1, textLeft - 5, y + 1);
    } else {
        textLeft = r.left() + 4;
    }
    painter.setPen(QColor::fromRgb(colours.disabledText));
    painter.drawLine(textLeft - 2, y, r.right() - 2, y);
    painter.setPen(indent ? QColor::fromRgb(colours.disabledShadow) : etch);
    painter.drawLine(textLeft - 2, y + 1, r.right() - 2, y + 1);
}

}  // namespace

MenuColours MenuColours::FromPalette(const QPalette& palette) {
    // The colours of an enabled item, also for a disabled one: its own tones are made here.
    auto active = [&palette](QPalette::ColorRole role) {
        return Rgb(palette.color(QPalette::Active, role));
    };
    const QRgb w = active(QPalette::Base);
    const QRgb h = active(QPalette::Highlight);
    const QRgb g = Rgb(palette.color(QPalette::Disabled, QPalette::WindowText));
    MenuColours c{};
    c.background = Opaque(w);
    c.iconColumn = Opaque(active(QPalette::Window));
    const QRgb fill = Half(h) + Half(w);
    c.selectionFill = Opaque(fill);
    c.selectionFrame = Opaque(Half(h) + Half(fill));
    c.disabledText = Opaque(3 * Quarter(g) + Quarter(w));
    c.disabledShadow = Opaque(Quarter(g) + 3 * Quarter(w));
    c.text = Opaque(active(QPalette::WindowText));
    c.checkedColumn = Opaque(active(QPalette::Button));
    // A selected item's text takes the highlight's text colour, unless the lighter blend of
    // the selection makes that unreadable; then the normal text colour reads better.
    const QRgb highlighted = Opaque(active(QPalette::HighlightedText));
    const int fillGrey = qGray(c.selectionFill);
    c.selectedText = std::abs(qGray(highlighted) - fillGrey) >= std::abs(qGray(c.text) - fillGrey)
                         ? highlighted
                         : c.text;
    return c;
}

int DisabledGrey(QRgb colour) {
    const int l = (128 * qBlue(colour) + 85 * qGreen(colour) + 44 * qRed(colour)) / 256;
    if (l <= 192) {
        return (l / 3 + 192) * 223 / 256;
    }
    return 223 + (33 * ((l - 192) / 4)) / 64;
}

QImage DisabledPicture(const QImage& picture) {
    QImage grey = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < grey.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(grey.scanLine(y));
        for (int x = 0; x < grey.width(); ++x) {
            const int level = DisabledGrey(row[x]);
            row[x] = qRgba(level, level, level, qAlpha(row[x]));
        }
    }
    return grey;
}

CMenuStyle::CMenuStyle() = default;

void CMenuStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                             const QWidget* widget) const {
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (item == nullptr || (element != CE_MenuItem && element != CE_MenuEmptyArea) ||
        (element == CE_MenuItem && item->menuItemType != QStyleOptionMenuItem::Normal &&
         item->menuItemType != QStyleOptionMenuItem::DefaultItem &&
         item->menuItemType != QStyleOptionMenuItem::Separator)) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }
    const MenuColours colours = MenuColours::FromPalette(item->palette);
    // The text moves off the picture column unless column and selection would not show it.
    const bool indent = colours.iconColumn != colours.background ||
                        Opaque(Rgb(item->palette.color(QPalette::Active, QPalette::Highlight))) !=
                            colours.selectionFill;
    if (element == CE_MenuEmptyArea) {
        const QRect& r = item->rect;
        painter->fillRect(r, QColor::fromRgb(colours.background));
        painter->fillRect(QRect(r.left(), r.top(), kColumnWidth, r.height()),
                          QColor::fromRgb(colours.iconColumn));
        return;
    }
    if (item->menuItemType == QStyleOptionMenuItem::Separator) {
        DrawSeparator(*painter, *item, colours, indent);
        return;
    }

    const bool enabled = (item->state & State_Enabled) != 0;
    const bool selected = enabled && (item->state & State_Selected) != 0;
    const bool checked = item->checkType != QStyleOptionMenuItem::NotCheckable && item->checked;
    const ItemParts parts = SplitItem(*item, indent);
    painter->save();
    painter->setFont(item->font);
    painter->fillRect(parts.column,
                      QColor::fromRgb(selected ? colours.selectionFrame : colours.iconColumn));
    painter->fillRect(QRect(parts.column.right() + 1, parts.column.top(),
                            item->rect.right() - parts.column.right(), item->rect.height()),
                      QColor::fromRgb(selected ? colours.selectionFill : colours.background));

    const QRect picture(item->rect.left() + 1,
                        item->rect.top() + (item->rect.height() - kPictureHeight) / 2,
                        kPictureWidth, kPictureHeight);
    if (!item->icon.isNull()) {
        if (checked) {
            painter->fillRect(parts.column, QColor::fromRgb(colours.checkedColumn));
            DrawSunkenFrame(*painter, picture.adjusted(-1, -1, 1, 1), item->palette);
        }
        QImage image = item->icon.pixmap(picture.size()).toImage();
        if (!enabled) {
            image = DisabledPicture(image);
        }
        painter->drawImage(picture.topLeft(), image);
    } else if (checked) {
        DrawCheckMark(*painter, picture, enabled, colours.text, colours);
    }

    int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextShowMnemonic;
    if (!styleHint(SH_UnderlineShortcut, item, widget)) {
        flags |= Qt::TextHideMnemonic;
    }
    const QRgb textColour = selected ? colours.selectedText : colours.text;
    DrawText(*painter, parts.text, flags, parts.label, enabled, textColour, colours);
    if (!parts.keys.isEmpty()) {
        // The keys start at the same place in every item: the key column's left edge.
        QRect keys = parts.text;
        keys.setLeft(item->rect.right() - kRightMargin - item->reservedShortcutWidth);
        DrawText(*painter, keys, flags, parts.keys, enabled, textColour, colours);
    }
    painter->restore();
}

QSize CMenuStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                                   const QWidget* widget) const {
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (type != CT_MenuItem || item == nullptr) {
        return QProxyStyle::sizeFromContents(type, option, size, widget);
    }
    if (item->menuItemType == QStyleOptionMenuItem::Separator) {
        return {kColumnWidth, kSeparatorHeight};
    }
    // As tall as the picture or the text with room around it; as wide as the column, the
    // text and the gap before the key column (whose width the menu adds).
    const int height = std::max(kPictureHeight + 4, size.height() + 6);
    return {kColumnWidth + kTextIndent + size.width() + kKeyGap + kRightMargin, height};
}

int CMenuStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                            const QWidget* widget) const {
    switch (metric) {
        case PM_MenuHMargin:
            return 0;  // the picture column runs to the menu's frame
        case PM_MenuVMargin:
            return 2;
        default:
            return QProxyStyle::pixelMetric(metric, option, widget);
    }
}

}  // namespace kelvandor
