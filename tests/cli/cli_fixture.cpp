#include "cli_fixture.h"

#include "book/zip_test_util.h"
#include "platform/cp1251.h"
#include "platform/paths.h"
#include "support/cp1251_text.h"

#include <QProcess>
#include <gtest/gtest.h>

namespace lumira {

namespace fs = std::filesystem;

const char* const kTestProfiles =
    "[Small]\r\nWidth=128\r\nHeight=160\r\nLSoft=-6\r\nRSoft=-7\r\nMenu=0\r\nOnUp=2\r\nOnDown=5\r\nOnLeft=0\r\n"
    "OnRight=3\r\n"
    "[\xC1\xEE\xEB\xFC\xF8\xEE\xE9]\r\nWidth=240\r\nHeight=320\r\nLSoft=1\r\nRSoft=2\r\nMenu=3\r\nOnUp=-1\r\n"
    "OnDown=-1\r\nOnLeft=-1\r\nOnRight=-1\r\n";

CliFolder::CliFolder(const char* profiles)
{
    if (profiles) app.Write("profiles.ini", profiles);
    fs::copy_file(SourceDir() / "data" / "iface.dat", app / "iface.dat");
    MakeZip(app / "velmar.dat", StandardTemplate());
}

QProcessEnvironment CliFolder::Environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("TMPDIR"), FromFsPath(scratch.Path()));
    // The messages in the program's own language, whatever the machine's is.
    env.remove(QStringLiteral("LC_ALL"));
    env.remove(QStringLiteral("LC_MESSAGES"));
    env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    return env;
}

CliRun CliFolder::Run(const QStringList& arguments) const
{
    return RunWith(arguments, Environment());
}

CliRun CliFolder::RunWith(const QStringList& arguments, const QProcessEnvironment& env) const
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(FromFsPath(work.Path()));
    process.start(FromFsPath(BuiltBinDir() / "lumira-cli"),
                  QStringList{QStringLiteral("--app-dir"), FromFsPath(app.Path())} +
                      (dictionaryHyphens ? QStringList() : QStringList{QStringLiteral("--hyphenation"), QStringLiteral("simple")}) +
                      arguments);
    CliRun run;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit) {
        ADD_FAILURE() << "lumira-cli did not finish: " << process.errorString().toStdString();
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput().toStdString();
    run.err = process.readAllStandardError().toStdString();
    return run;
}

QString CliFolder::Arg(const std::string& name) const
{
    return FromFsPath(work / name);
}

bool CliFolder::ScratchEmpty() const
{
    // Qt keeps its runtime folder there when the session has none; that one is not ours.
    for (const auto& entry : fs::directory_iterator(scratch.Path()))
        if (!entry.path().filename().string().starts_with("runtime-")) return false;
    return true;
}

std::string Cp(const char* utf8)
{
    return Utf8ToCp1251(utf8);
}

} // namespace lumira
