#pragma once
// The program's version, shown by the About box, the configuration report, the compatibility
// view and `quelmar-cli --version`. The build reads it from this line for the package version,
// so keep the definition on one line in this form.

namespace quelmar::common {

constexpr const char* program_version = "1.0p";

}  // namespace quelmar::common
