// pixtil2: the kit's bitmap converter behind a file chooser.

#include "launchers/frontend/frontend_main.h"

int main(int argc, char** argv) {
    return lumora::frontend::run_frontend(lumora::frontend::pixtil2_kind(), "pixtil2", LUMORA_VERSION, argc,
                                          argv);
}
