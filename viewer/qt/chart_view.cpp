#include "viewer/qt/chart_view.hpp"

#include <QPaintEvent>

namespace kova::viewer {

ChartView::ChartView(QWidget* parent) : QWidget(parent) {
  setMinimumSize(320, 240);
  setAutoFillBackground(false);
}

void ChartView::set_painter(PaintFunction paint) {
  paint_ = std::move(paint);
  update();
}

void ChartView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  if (paint_) paint_(painter, size());
}

}  // namespace kova::viewer
