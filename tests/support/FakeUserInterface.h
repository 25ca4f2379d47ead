#pragma once
#include "programs/ui/ScriptedUserInterface.h"

namespace velto::testing {

// The person of a form-model test: answers are scripted in advance and what
// the model showed is recorded.
using FakeUserInterface = programs::ScriptedUserInterface;

}  // namespace velto::testing
