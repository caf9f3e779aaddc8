// The application's style, with the menu items of a magnified window laid
// out like the x1 items magnified. The menus of an x2 or x3 window get a font
// two or three times as large, but a style measures an item as its text plus
// margins of a fixed number of pixels, while Fusion draws the check column as
// wide as a share of the item's height: the longest checkable item
// ("非アクティブ時に一時停止") and a short menu's only item ("終了") then lose
// the middle of their text. Here the margins around an item's text grow with
// the menu's scale, and so do the submenu arrows; at x1 nothing changes.
// Main thread only.
#pragma once

#include <QProxyStyle>

class TMenuItemStyle : public QProxyStyle {
 public:
  // On the application's style (taken when first needed).
  TMenuItemStyle() = default;

  // The menus' magnification (1 at x1). Set before the menus' font changes:
  // they measure their items again when it does.
  void SetScale(double scale) { m_scale = scale; }

  QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& contents,
                         const QWidget* widget) const override;
  // A submenu's arrow in a magnified menu is the x1 arrow magnified (the
  // style draws it at a fixed size whatever the item's).
  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;

 private:
  double m_scale = 1.0;
};
