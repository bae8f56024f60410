// sonix2: the kit's sound converter behind a file chooser.

#include "launchers/frontend/frontend_main.h"

int main(int argc, char** argv) {
    return lumora::frontend::run_frontend(lumora::frontend::sonix2_kind(), "sonix2", LUMORA_VERSION, argc,
                                          argv);
}
