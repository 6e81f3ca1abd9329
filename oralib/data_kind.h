#pragma once

namespace oralib {

// The internal kind of a parameter's or column's value.
enum data_kind : int {
    kind_from_name = 0, // bind: take the kind from the placeholder's name
    number = 1,
    date = 2,
    string = 3,
    long_text = 4,
    cursor = 5,
};

} // namespace oralib
