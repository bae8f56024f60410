#pragma once
// main() of sonix2 and pixtil2: the options, then the window.

#include "frontend_kind.h"

namespace lumora::frontend {

int run_frontend(const FrontendKind& kind, const char* program, const char* version, int argc, char** argv);

}  // namespace lumora::frontend
