// The years line of the about box: "2000 " in the first year, otherwise
// "2000 - " and the current year.
#pragma once

#include <QString>

namespace morvi {

// year: the current year. It is written with at least four digits; the part
// after "2000 " keeps at most 10 characters and the whole text at most 15, so
// the line never runs out of the box.
QString YearsText(int year);

}  // namespace morvi
