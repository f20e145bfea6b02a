#pragma once
// A pane that paints one picture, whatever it is, fitted into its size.

#include <QWidget>

#include "viewer/qt/bicluster_pictures.hpp"

namespace kova::viewer {

class ChartView final : public QWidget {
 public:
  explicit ChartView(QWidget* parent = nullptr);
  void set_painter(PaintFunction paint);  // empty: a blank pane

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  PaintFunction paint_;
};

}  // namespace kova::viewer
