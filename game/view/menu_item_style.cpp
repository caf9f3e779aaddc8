#include "game/view/menu_item_style.h"

#include <cmath>

QSize TMenuItemStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& contents,
                                       const QWidget* widget) const {
  QSize size = QProxyStyle::sizeFromContents(type, option, contents, widget);
  if (type != CT_MenuItem || m_scale <= 1.0) return size;
  const int margins = size.width() - contents.width();
  if (margins > 0) size.rwidth() += static_cast<int>(std::lround(margins * (m_scale - 1.0)));
  return size;
}
