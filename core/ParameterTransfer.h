// Whole parameters (name, kind, flags, formula, value rows) as bytes for the clipboard, so that
// they can go from one definition to another, in the same editor or another one. The bytes are a
// first line naming the layout and its version, then a definition file holding just those
// parameters; reading them back goes through the file reader, so what it refuses is refused here.
#pragma once

#include "ReportDefinition.h"

#include <string>
#include <string_view>
#include <vector>

namespace vornak {

// The version this editor writes. A reader takes its own version and every older one.
inline constexpr int parameterTransferVersion = 1;

enum class ParameterTransferProblem {
    None,
    NotParameters, // the first line is not this layout's mark
    NewerVersion,  // written by a later editor, in a layout this one does not know
    Damaged,       // the mark is right, the rest is not a complete set of parameters
};

struct ParameterTransfer {
    ParameterTransferProblem problem = ParameterTransferProblem::None;
    std::vector<ParameterRecord> parameters;
};

std::string serializeParameters(const std::vector<ParameterRecord>& parameters);
// Never throws on any input; a failure leaves `parameters` empty.
ParameterTransfer parseParameters(std::string_view bytes);

} // namespace vornak
