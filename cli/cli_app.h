#pragma once
// The whole run of lumira-cli after the application object exists: returns the exit status.
#include <QStringList>

namespace lumira {

// `arguments` are those after the program name.
int RunCli(const QStringList& arguments);

} // namespace lumira
