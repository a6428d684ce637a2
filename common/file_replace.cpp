#include "common/file_replace.h"

#include <cstdio>

#include <sys/stat.h>

namespace quelmar::common {

bool move_into_place(const std::string& temp_path, const std::string& target_path) {
    struct stat st {};
    if (::stat(target_path.c_str(), &st) == 0) {
        ::chmod(temp_path.c_str(), st.st_mode & 07777);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::chmod(temp_path.c_str(), 0666 & ~mask);
    }
    return std::rename(temp_path.c_str(), target_path.c_str()) == 0;
}

}  // namespace quelmar::common
