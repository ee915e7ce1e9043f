#pragma once
// The text the help window opens with, as the lines of its markup.
#include <QStringList>

namespace lumira {

// The text the help window opens with, in the language in use.
QStringList StoredHelpText();
// The how-to page: making a book, copying it to a phone, the reader's keys and menu, volumes; in
// the language in use.
QStringList HowToText();

} // namespace lumira
