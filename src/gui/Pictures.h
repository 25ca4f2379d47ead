#pragma once
#include <QIcon>
#include <QPixmap>

// The pictures of the application, drawn rather than loaded: the tile of the
// main window's background, the program icon and the toolbar buttons.
namespace velto::gui {

// 80 × 166 pixels, a light-grey crystal silhouette on white.
QPixmap BackgroundTile();

QIcon ApplicationIcon();

enum class ToolbarPicture {
  SingleCrystal,
  LaueCase,
  ConvolutedRockingCurve,
  MultiCrystalMonochromator,
  MultipleBeam,
  MbdLineMap,
  BrennanStructureFactors,
  Export,
  About,
};

// A 16 × 15 toolbar picture.
QIcon ToolbarIcon(ToolbarPicture picture);

}  // namespace velto::gui
