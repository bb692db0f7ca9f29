// Numbers and JSON written so that they read back exactly: every float in its shortest
// form that parses back to the same double.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

namespace kvtool {

// JSON documents of the tool keep their keys in the order they were written.
using Json = nlohmann::ordered_json;

// Shortest text that reads back as the same double ("400", "0.08726646259971647").
std::string NumberText(double value);

// A stored value as people are shown it, in a unit scale times the stored one (100 for a
// percent of a fraction): the shortest decimal that, divided by scale, gives back the
// stored value at the precision it was stored with. A value that a single-precision float
// holds exactly (as every value read from a preset does) counts as single precision, so
// that a loaded 77.7 shows as 77.7, not 77.69999694824219. Negative zero shows as 0; NaN
// and the infinities as they are.
double ShownNumber(double stored, double scale = 1.0);
// ShownNumber as text ("77.7", "5", "nan", "-inf").
std::string ShownText(double stored, double scale = 1.0);
// NumberText for data files (CSV, OBJ, SVG): exact, but negative zero written as 0.
std::string DataNumberText(double value);
// The document on one line, floats written with NumberText.
std::string JsonText(const Json& document);

}  // namespace kvtool
