#pragma once
// The last step of every save that writes beside its target first: the finished temporary file
// takes the target's permissions (an existing file keeps its own; a new one gets 0666 less the
// umask rather than mkstemp's 0600) and is renamed over the target in one step, so a reader
// sees either the old file or the new one, never half of one.

#include <string>

namespace quelmar::common {

// True when the rename succeeded; the temporary file is then gone.
bool move_into_place(const std::string& temp_path, const std::string& target_path);

}  // namespace quelmar::common
