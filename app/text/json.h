// The one JSON value type of the application: objects keep their keys in the order
// they were read or written, so files and messages come out as they went in. Declared
// only: what builds or reads values includes <nlohmann/json.hpp> as well.
#pragma once

#include <nlohmann/json_fwd.hpp>

namespace zg::text {

using Json = nlohmann::ordered_json;

}  // namespace zg::text
