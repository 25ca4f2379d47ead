#pragma once
#include <filesystem>
#include <string>
#include <string_view>

#include "mbd/MbdSolver.h"

namespace velto::mbd {

enum class ChiImportStatus { Ok, CannotOpen, ReadError, NotFinite };

// The program's text for a failed import.
std::string_view ChiImportMessage(ChiImportStatus status);

// What the person is shown (with a stop icon) for a failed import: the
// program's text, then the file and why ("chi.dat: is a named pipe",
// "chi.dat: line 3: \"nan\" is not a finite number"), so that the file
// can be found and mended.
std::string ChiImportMessage(ChiImportStatus status, const std::filesystem::path& path, std::string_view reason);

// Reads N × N chi values (in units of 1e-6) into the solver, row-major, one
// complex value per line: real and imaginary part separated by commas,
// spaces or tabs; "!" starts a comment; empty lines are skipped. Missing
// parts and missing lines at the end read as 0. On success the chi-not-set
// flag is cleared; a read error or a value that reads as infinity or
// not-a-number sets it; a file that cannot be opened (also one that is no
// regular file, such as a named pipe, which would block) changes nothing.
// `reason`, when given, receives why a failed import failed.
ChiImportStatus ImportChiFile(const std::filesystem::path& path, MbdSolver& solver, std::string* reason = nullptr);

}  // namespace velto::mbd
