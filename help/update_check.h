#pragma once
// The update check's addresses and result texts: the update server offers the current version as
// a short text; the help text is replaced by a line saying whether it differs from ours.
#include <QString>
#include <string>
#include <string_view>

namespace lumira {

struct UpdateServer {
    std::string host = DefaultHost();
    int port = 80;

    // The host the program was built to ask.
    static std::string DefaultHost();
};

// "http://host/go/text/velmar/version" (the port is named only when it is not 80).
std::string VersionAddress(const UpdateServer& server);
// "http://host/warez/velmar.zip", the archive of the new version.
QString DownloadAddress(const UpdateServer& server);

// The received text with every line feed removed; nothing else is touched.
std::string RemoveLineFeeds(std::string_view text);

// Text with &, <, > and both quotes written as entities, so it shows as itself in markup.
QString EscapeMarkup(const QString& text);

// The line that replaces the help text when the versions are equal.
QString NoUpdateText();
// The link to a newer version; `versionText` is shown as it is.
QString NewVersionText(const QString& downloadAddress, const QString& versionText);

// The text that replaces the help text after a received answer: `received` (cp1251 bytes, line
// feeds still in) is compared byte for byte with `programVersion`.
QString UpdateResultText(std::string_view received, std::string_view programVersion, const UpdateServer& server);

} // namespace lumira
