// Text for single-precision numbers: the shortest decimal that reads back as the same
// float, so files carry exactly the values the host computed.
#pragma once

#include <string>

namespace zg::render {

// Appends v's shortest round-trip text; non-finite values as "nan", "inf", "-inf".
void AppendFloat(std::string& out, float v);
// As AppendFloat, but a non-finite value becomes JSON's null.
void AppendJsonFloat(std::string& out, float v);
std::string FloatText(float v);
// A frame number as JSON and titles show it: "12" for a whole frame, "12.5" for a
// fractional one (shortest round-trip text of the double), "null" when not finite.
std::string FrameText(double frame);

}  // namespace zg::render
