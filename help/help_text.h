#pragma once
// The text the help window opens with, as the lines of its markup.
#include <QStringList>

namespace lumira {

// The text the help window opens with, in the language in use.
QStringList StoredHelpText();

} // namespace lumira
