// Whether the program can reach a display before Qt is asked to open one: Qt
// aborts with a long plugin message otherwise, where one clear line will do.
#pragma once

#include <string>

namespace morvi {

// An empty string when a display looks reachable; otherwise the line to print.
std::string DisplayProblem();

}  // namespace morvi
