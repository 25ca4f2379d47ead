// velto-struct: the structure editor. Started by "Editor of Crystal
// Structure..." of velto, or on its own with a file to open:
// velto-struct [FILE.struct | FILE.cif]
#include <QApplication>
#include <filesystem>

#include "core/DataDirectory.h"
#include "gui/StructureEditorWindow.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  velto::gui::StructureEditorWindow window(velto::core::DataDirectory());
  window.show();
  if (argc > 1) {
    window.Form().OpenPath(window.Ui(), std::filesystem::path(argv[1]));
    window.Refresh();
  }
  return application.exec();
}
