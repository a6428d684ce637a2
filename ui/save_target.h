#pragma once
// The name a save writes to. A save-file dialog returns the name as the user typed it; when
// that has no extension, the program adds the one of the file type the user chose (or the
// save's own default), and it is this name, not the typed one, that may already exist.

#include <string>

namespace quelmar::ui {

// The extension of the first pattern of a file type, e.g. "dat" for
// "SC1 State Machine Files (*.dat)"; empty when the type names none ("All Files (*.*)").
std::string file_type_extension(const std::string& file_type);

// `chosen` when its file name has an extension; otherwise `chosen` with the chosen file
// type's extension, or with `default_extension` when the type has none.
std::string save_target(const std::string& chosen, const std::string& file_type,
                        const std::string& default_extension);

}  // namespace quelmar::ui
