#pragma once

#include <nlohmann/json.hpp>
#include <string>

// The command line builds its JSON as nlohmann trees; an ordered_json keeps
// the members of an object in the order they were set.
using Json = nlohmann::ordered_json;

// A text of the program as a JSON string, in UTF-8.
Json JsonString(const std::u16string& text);

// The text of a JSON value on one line, as the command line prints it: ", "
// between elements and members, ": " after a key. Integers are written as
// integers, other numbers with 17 significant digits (printf "%.17g", which
// reads back to the same double; a whole number shows no point), numbers
// that are not finite as null. Strings keep their UTF-8 bytes; quotes,
// backslashes and control characters are escaped.
std::string JsonText(const Json& value);
