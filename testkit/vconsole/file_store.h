#pragma once
// Mirrors /rom0 into a host folder so tests and users can look at what
// arrived: for every stored file NAME the folder holds
//   NAME     the body, exactly `size` bytes (padding dropped)
//   NAME.fx  the 128-byte header as received followed by that body
// Console names may hold any byte; anything outside [A-Za-z0-9._-], and a
// leading dot, is written as %XX so a name can never leave the folder. The
// dot of a name ending in ".fx" is written %2E too, so that the body of
// "x.fx" cannot overwrite the entry file of "x".

#include <string>
#include <string_view>

#include "testkit/vconsole/storage.h"

namespace lumora::vconsole {

std::string host_file_name(std::string_view console_name);

class FileStore {
  public:
    explicit FileStore(std::string folder) : folder_(std::move(folder)) {}
    // Writes both files (each replaced in one step); false with a reason on failure.
    bool save(const StoredFile& file, std::string* error = nullptr) const;
    // Removes both files of a deleted console file.
    void remove(std::string_view console_name) const;

  private:
    std::string folder_;
};

}  // namespace lumora::vconsole
