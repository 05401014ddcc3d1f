// File operations of the simulator's shell: line-at-a-time append files (log and
// record) and atomic replacement of a file or a symbolic link (write a temporary
// name, then rename() it over the target).
#pragma once

#include "standins/modem/unique_fd.h"

#include <string>
#include <string_view>

namespace modemsim {

class AppendFile {
  public:
    // Opens (creating) path for appending; an empty path leaves the file closed.
    bool Open(const std::string& path, std::string& error);
    bool is_open() const { return static_cast<bool>(fd_); }
    // Appends line and a newline in one write; true when written or when closed.
    bool WriteLine(std::string_view line, std::string& error);

  private:
    UniqueFd fd_;
};

// Replaces path with a file holding text.
bool ReplaceFile(const std::string& path, std::string_view text, std::string& error);

// Makes link a symbolic link to target, replacing whatever link was.
bool ReplaceSymlink(const std::string& link, const std::string& target, std::string& error);

} // namespace modemsim
