#include "gui/CAboutDlg.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/Pictures.h"
#include "gui/QtUserInterface.h"
#include "programs/ui/Documents.h"

namespace velto::gui {

namespace {

constexpr const char* kDescription =
    "A suite of programs for X-ray diffraction from perfect crystals by the dynamical theory: "
    "single-crystal rocking curves and energy scans in Bragg and Laue geometry (with a rigorous "
    "theory for grazing incidence and exit), convoluted and multiple-crystal curves, multiple-beam "
    "diffraction and maps of multiple-beam lines, structure factors and susceptibilities from "
    "crystal-structure files.";

constexpr const char* kContact =
    "Questions, problems and suggestions are welcome through the project's issue tracker.\n"
    "Please include the structure file, the photon energy, the reflection and what you expected, "
    "so that the case can be reproduced.\n"
    "The user manual (Help > Help Topics) describes the programs, their units and files.";

constexpr const char* kFurtherReferences[] = {
    "A. Authier, Dynamical Theory of X-Ray Diffraction, Oxford University Press (2001).",
    "S. Brennan and P. L. Cowan, Rev. Sci. Instrum. 63, 850 (1992): anomalous scattering factors.",
    "C. T. Chantler, J. Phys. Chem. Ref. Data 24, 71 (1995) and 29, 597 (2000): form factors, "
    "attenuation and scattering tables.",
    "D. Waasmaier and A. Kirfel, Acta Cryst. A51, 416 (1995): analytical f0 of neutral atoms.",
    "R. Colella, Acta Cryst. A30, 413 (1974): n-beam dynamical diffraction.",
};

}  // namespace

CAboutDlg::CAboutDlg(QWidget* parent, std::filesystem::path documentDirectory, programs::UserInterface& ui)
    : QDialog(parent), documentDirectory_(std::move(documentDirectory)), ui_(ui) {
  setWindowTitle(QStringLiteral("About VELTO"));

  auto* icon = new QLabel(this);
  icon->setPixmap(ApplicationIcon().pixmap(48, 48));
  auto* name = new QLabel(QStringLiteral("<b>VELTO</b> Version %1<br>Built %2")
                              .arg(QStringLiteral(VELTO_VERSION), QStringLiteral(__DATE__)),
                          this);
  auto* header = new QHBoxLayout;
  header->addWidget(icon, 0, Qt::AlignTop);
  header->addWidget(name, 1);

  auto* description = new QLabel(ToQt(kDescription), this);
  description->setWordWrap(true);

  auto* contact = new QPlainTextEdit(ToQt(kContact), this);
  contact->setReadOnly(true);
  contact->setFixedHeight(contact->fontMetrics().lineSpacing() * 6);

  auto* references = new QGridLayout;
  const char* documentTitles[] = {"VELTO User Manual", "VELTO Theory Notes: the equations behind the programs"};
  int row = 0;
  for (int i = 0; i < 2; ++i, ++row) {
    references->addWidget(new QLabel(QStringLiteral("%1.").arg(row + 1), this), row, 0, Qt::AlignTop);
    auto* button = new QPushButton(ToQt(documentTitles[i]), this);
    button->setAutoDefault(false);
    button->setStyleSheet(QStringLiteral("text-align: left; padding: 2px 8px;"));
    connect(button, &QPushButton::clicked, this, [this, i] { OpenReference(i); });
    references->addWidget(button, row, 1);
  }
  for (const char* reference : kFurtherReferences) {
    references->addWidget(new QLabel(QStringLiteral("%1.").arg(row + 1), this), row, 0, Qt::AlignTop);
    auto* text = new QLabel(ToQt(reference), this);
    text->setWordWrap(true);
    references->addWidget(text, row++, 1);
  }
  references->setColumnStretch(1, 1);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(header);
  layout->addWidget(description);
  layout->addWidget(contact);
  layout->addWidget(new QLabel(QStringLiteral("<b>References</b>"), this));
  layout->addLayout(references);
  layout->addWidget(buttons);
  setMinimumWidth(560);
}

void CAboutDlg::OpenReference(int index) {
  const char* document = kReferenceDocuments[index == 0 ? 0 : 1];
  programs::OpenDocumentOrSay(ui_, documentDirectory_ / document, std::string("Cannot find the ") + document + " file");
}

}  // namespace velto::gui
