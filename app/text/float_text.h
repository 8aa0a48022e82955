// Text for single-precision numbers: the shortest decimal that reads back as the same
// float, so files carry exactly the values the host computed; and the JSON values
// that print that way.
#pragma once

#include <nlohmann/json.hpp>

#include <string>

#include "app/text/json.h"

namespace zg::text {

// Appends v's shortest round-trip text; non-finite values as "nan", "inf", "-inf".
void AppendFloat(std::string& out, float v);
std::string FloatText(float v);
// A frame number as titles show it: "12" for a whole frame, "12.5" for a fractional
// one (shortest round-trip text of the double), "null" when not finite.
std::string FrameText(double frame);

// v as a JSON number that prints as its shortest round-trip text; null when v is not
// finite.
Json JsonFloat(float v);
// A frame as a JSON number: whole frames as integers; null when not finite.
Json FrameJson(double frame);
// Compact JSON text; bytes that are not UTF-8 become the replacement character.
std::string DumpJson(const Json& doc);
// The compact text of the object `doc` without its closing brace, for more members,
// written as they come, to follow.
std::string DumpOpenedJson(const Json& doc);

}  // namespace zg::text
