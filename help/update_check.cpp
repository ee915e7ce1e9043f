// The update check's texts.
#include "help/update_check.h"

#include "platform/cp1251.h"

#include <QCoreApplication>
#include <algorithm>

namespace lumira {

namespace {

std::string Authority(const UpdateServer& server)
{
    return server.port == 80 ? server.host : server.host + ":" + std::to_string(server.port);
}

} // namespace

std::string UpdateServer::DefaultHost()
{
    return LUMIRA_UPDATE_HOST;
}

std::string VersionAddress(const UpdateServer& server)
{
    return "http://" + Authority(server) + "/go/text/velmar/version";
}

QString DownloadAddress(const UpdateServer& server)
{
    return QString::fromStdString("http://" + Authority(server) + "/warez/velmar.zip");
}

std::string RemoveLineFeeds(std::string_view text)
{
    std::string out(text);
    out.erase(std::remove(out.begin(), out.end(), '\n'), out.end());
    return out;
}

QString EscapeMarkup(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '&': out += QLatin1String("&amp;"); break;
        case '<': out += QLatin1String("&lt;"); break;
        case '>': out += QLatin1String("&gt;"); break;
        case '"': out += QLatin1String("&quot;"); break;
        case '\'': out += QLatin1String("&#39;"); break;
        default: out += c;
        }
    }
    return out;
}

QString NoUpdateText()
{
    return QCoreApplication::translate("UpdateCheck", "<FONT size=\"12\" face=\"Tahoma\">Обновлений не обнаружено</a></font>");
}

QString NewVersionText(const QString& downloadAddress, const QString& versionText)
{
    return QStringLiteral("<FONT size=\"12\" face=\"Tahoma\"><a href=\"") + downloadAddress +
           QCoreApplication::translate("UpdateCheck", "\">Новая версия: ") + versionText + QStringLiteral("</a></font>");
}

QString UpdateResultText(std::string_view received, std::string_view programVersion, const UpdateServer& server)
{
    const std::string version = RemoveLineFeeds(received);
    if (version == programVersion) return NoUpdateText();
    // The remote text is shown as text: it can add neither markup nor links.
    return NewVersionText(EscapeMarkup(DownloadAddress(server)), EscapeMarkup(Cp1251ToQString(version)));
}

} // namespace lumira
