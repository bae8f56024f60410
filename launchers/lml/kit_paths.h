#pragma once
// Where the launcher finds the kit: every fixed place lies under the kit
// root ($LUMO_ROOT, else ~/lumo). The kit's own programs are taken from the
// kit root when they are there, else from the folder lml was started from.

#include <string>

#include "launchers/frontend/kit_root.h"

namespace lumora::lml {

struct KitPaths {
    std::string root;            // the kit root, without a trailing "/"
    std::string program_folder;  // the folder lml itself was started from

    std::string myprog() const { return root + "/myprog"; }
    std::string project_folder(const std::string& project) const { return myprog() + "/" + project; }
    std::string settings_file() const { return root + "/lml.ini"; }
    std::string compiler_folder() const { return root + "/lsic86lm/bin"; }
    std::string compiler() const { return compiler_folder() + "/lcc86"; }
    std::string hdrpack() const { return root + "/bin/hdrpack"; }
    std::string emulator() const { return root + "/tools/sonavo033/sonavo"; }
    std::string pelorix() const { return root + "/bin/Pelorix"; }
    std::string manual() const { return root + "/doc/index.html"; }
    std::string tools_folder() const { return root + "/tools"; }

    std::string transfer_tool() const { return kit_program("tools/lmput/lmPutw"); }
    std::string pixtil2() const { return kit_program("tools/pixtil2/pixtil2"); }
    // The editor button's program when lml.ini names none: the kit's IDE.
    std::string default_editor() const { return kit_program("bin/kelvane"); }

  private:
    std::string kit_program(const std::string& below_root) const;
};

using launchers::kit_root_from;

}  // namespace lumora::lml
