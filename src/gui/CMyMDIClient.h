#pragma once
#include <QMdiArea>

namespace velto::gui {

// The client area of the main window: the program windows live in it, over
// a tiled background picture.
class CMyMDIClient : public QMdiArea {
  Q_OBJECT
 public:
  explicit CMyMDIClient(QWidget* parent = nullptr);
};

}  // namespace velto::gui
