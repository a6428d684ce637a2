#include "ui/save_target.h"

namespace quelmar::ui {

std::string file_type_extension(const std::string& file_type) {
    const std::size_t open = file_type.find('(');
    const std::size_t close = file_type.find(')', open == std::string::npos ? 0 : open);
    if (open == std::string::npos || close == std::string::npos) return {};
    const std::string patterns = file_type.substr(open + 1, close - open - 1);
    // Only the first pattern counts: "*.asm *.ASM" saves as ".asm".
    const std::string first = patterns.substr(0, patterns.find(' '));
    if (first.size() < 3 || first.compare(0, 2, "*.") != 0) return {};
    const std::string extension = first.substr(2);
    if (extension.find_first_of("*?[") != std::string::npos) return {};
    return extension;
}

std::string save_target(const std::string& chosen, const std::string& file_type,
                        const std::string& default_extension) {
    const std::size_t slash = chosen.find_last_of('/');
    const std::size_t name_start = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = chosen.find_last_of('.');
    const bool has_dot = dot != std::string::npos && dot >= name_start;
    if (has_dot && dot + 1 < chosen.size()) return chosen;
    if (chosen.size() <= name_start) return chosen;  // no file name at all
    std::string extension = file_type_extension(file_type);
    if (extension.empty()) extension = default_extension;
    if (extension.empty()) return chosen;
    // A name typed with a trailing dot takes the extension after that dot.
    return has_dot ? chosen + extension : chosen + "." + extension;
}

}  // namespace quelmar::ui
