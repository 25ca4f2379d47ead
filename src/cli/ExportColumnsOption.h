#pragma once
#include <string>

#include "programs/curve_export/CurveExport.h"

namespace velto::cli {

// --columns: a comma-separated list of scan[:urad|arcsec|deg][:rel|abs],
// exit[...], r, t, depth, specular, applied to the export dialog's model as
// clicks, so that its rules (what is available, the two refusals) hold. A
// column the dialog does not offer, or an unknown word, ends the program.
void ApplyColumns(const std::string& list, programs::CurveExportDialog& dialog);

}  // namespace velto::cli
