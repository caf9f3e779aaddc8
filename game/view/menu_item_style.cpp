#include "game/view/menu_item_style.h"

#include <QMenu>
#include <QPainter>
#include <QStyleOption>

#include <cmath>

QSize TMenuItemStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& contents,
                                       const QWidget* widget) const {
  QSize size = QProxyStyle::sizeFromContents(type, option, contents, widget);
  if (type != CT_MenuItem || m_scale <= 1.0) return size;
  const int margins = size.width() - contents.width();
  if (margins > 0) size.rwidth() += static_cast<int>(std::lround(margins * (m_scale - 1.0)));
  return size;
}

void TMenuItemStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                   const QWidget* widget) const {
  const bool arrow = element == PE_IndicatorArrowRight || element == PE_IndicatorArrowLeft;
  if (!arrow || m_scale <= 1.0 || qobject_cast<const QMenu*>(widget) == nullptr) {
    QProxyStyle::drawPrimitive(element, option, painter, widget);
    return;
  }
  painter->save();
  const QPointF centre = QRectF(option->rect).center();
  painter->translate(centre);
  painter->scale(m_scale, m_scale);
  painter->translate(-centre);
  QProxyStyle::drawPrimitive(element, option, painter, widget);
  painter->restore();
}
