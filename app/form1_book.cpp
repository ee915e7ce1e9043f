// Create: the .jar and the .jad of the book.
#include "app/form1.h"

#include "book/book_builder.h"
#include "platform/cp1251.h"
#include "platform/errors.h"
#include "platform/paths.h"

#include <QLineEdit>

void TForm1::b_okClick()
{
    BuildBookPackage();
}

void TForm1::BuildBookPackage()
{
    // Without a phone there is nothing to fill the record with: say so before asking for a path.
    const t_profile* profile = SelectedProfile();
    if (!profile) throw AppError("Не выбран профиль телефона.");

    SaveDialog1.filter = QStringLiteral("Jar-пакет|*.jar|Все файлы|*.*");
    SaveDialog1.defaultExt = QStringLiteral("jar");
    const auto chosen = TheDesktop().SaveFile(this, SaveDialog1);
    if (!chosen) return;
    SaveDir = FolderPart(*chosen);

    BookRequest request;
    request.textFile = ToFsPath(e_text->text());
    request.titleCp1251 = QStringToCp1251(e_caption->text());
    request.profile = profile;
    request.background = BackgroundColor;
    request.syslineIndex = e_sysline->ItemIndex();
    request.workFolder = ToFsPath(zipBaseFolder);
    request.templateArchive = ToFsPath(AppDir + QStringLiteral("velmar.dat"));
    request.jarPath = ToFsPath(*chosen);

    BusyCursor busy;
    BuildBook(request, BookSettingsRecord);
}
