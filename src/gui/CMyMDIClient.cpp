#include "gui/CMyMDIClient.h"

#include "gui/Pictures.h"

namespace velto::gui {

CMyMDIClient::CMyMDIClient(QWidget* parent) : QMdiArea(parent) {
  // A pixmap brush tiles from the top-left corner, left to right and top to
  // bottom.
  setBackground(QBrush(BackgroundTile()));
  // Program windows are larger than a small main window; let the person
  // scroll to their edges.
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

}  // namespace velto::gui
