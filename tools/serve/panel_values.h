// Parameter values between the host and the page: the page shows and sends numbers in
// the unit the description gives (PERCENT 0 to 100 for a stored fraction, DEGREE for a
// stored angle in radians), and the description's MIN and MAX are in that unit too.
#pragma once

#include <functional>

#include "host.h"
#include "json_text.h"
#include "resources.h"

namespace kvtool {

// Longest text a STRING parameter takes from the page, in bytes.
constexpr std::size_t kMaxTextBytes = 1024;

// A number for the page: a JSON number when finite; NaN and the infinities, which JSON
// cannot hold, as the text "nan", "inf" or "-inf", so that the page shows them as such.
Json NumberJson(double value);

// The stored value as the page shows it: numbers in the unit, as ShownNumber shows them
// (see NumberJson for NaN and the infinities), bools, strings, and links as the target's
// serial (null when empty).
Json ShownValue(const kvhost::DescParameter& parameter, const kvhost::Value& stored);

// The object a link names by serial; null when the serial names no object of the
// document.
using LinkTarget = std::function<KvNode*(std::uint64_t serial)>;

// The value to store for the page's input: a number (or its text) for REAL and LONG, a
// bool (or on/off text) for BOOL, text for STRING, a serial or null for LINK. Throws a
// ToolError (kStatusBadInput) naming the parameter when it does not parse, lies outside
// MIN..MAX, is no entry of a cycle, names no object, or is text over kMaxTextBytes.
kvhost::Value StoredValue(const kvhost::DescParameter& parameter, const Json& input,
                          const LinkTarget& links);

}  // namespace kvtool
