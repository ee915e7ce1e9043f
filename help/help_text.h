#pragma once
// The text the help window opens with, as the lines of its markup.
#include <QStringList>

const QStringList& StoredHelpText();
