#pragma once
#include <QWidget>

namespace velto::gui {

// The sketch of the diffraction geometry beside the controls.
class GeometryPicture : public QWidget {
  Q_OBJECT
 public:
  GeometryPicture(bool laue, QWidget* parent = nullptr);
  QSize sizeHint() const override { return {150, 90}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  bool laue_;
};

}  // namespace velto::gui
