#pragma once
// The window that lists the faults found in a data file after an edit and
// asks whether to edit again or to give up.
#include <windows.h>

#include <optional>
#include <vector>

#include "data/data_file.h"

namespace quiltor {

enum class FindingsAnswer { kEditAgain, kGiveUp };

// Modal; its top left corner at `at` when given. A window that cannot be
// shown is reported and counts as giving up.
FindingsAnswer ShowFindings(const std::optional<POINT>& at, const Bytes& path,
                            const std::vector<DataFinding>& findings);

}  // namespace quiltor
