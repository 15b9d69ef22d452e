// The console text for each result of reading the control file.
#pragma once

#include <string>

#include "config/control_file.h"

namespace zunt {

// The complete text for `result` (empty for ok): for an illegal or unknown
// line it includes the line number and the line; for an unopenable file the
// name and `system_text`, the system's words for the error.
std::string config_message(ConfigResult result, const ConfigState& state,
                           const std::string& control_file_path, const std::string& system_text);

}  // namespace zunt
