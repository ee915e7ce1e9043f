#pragma once
// Which profile names profiles.ini can hold. A profile's name is its section name, and a section
// line gives back only what lies between the brackets with the blanks at both ends stripped, so a
// name must survive that trip unchanged to be found again under the same name.
#include <QString>

namespace lumira {

// The reason `name` cannot be stored as a section name, as the message the user reads, or an
// empty text when it can. The empty name is not judged here (the editor ignores it).
QString ProfileNameProblem(const QString& name);

} // namespace lumira
