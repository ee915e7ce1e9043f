#include "book/book_job.h"

#include "book/book_text.h"
#include "platform/errors.h"
#include "platform/language.h"

namespace lumira {

BookJobResult RunBookJob(const BookJob& job, SettingsRecord& record)
{
    if (!job.profile) throw AppError(Translate("BookBuilder", kNoProfileMessage));
    if (IsBlankTitle(job.title.toStdString())) throw AppError(Translate("BookBuilder", kBlankTitleMessage));

    const BookText text(job.text, job.encoding, job.scratch, BookText::Streamed{});
    BookRequest request = MakeBookRequest(job.title, &*job.profile, job.background, BandIndex(job.band),
                                          job.workFolder, job.templateFile, job.jar);
    text.Into(request);
    // The package must not take the place of the text it is made from.
    request.sourceText = job.text;
    request.dictionaryHyphens = job.dictionaryHyphens;
    request.hyphenationFolders = job.hyphenationFolders;
    request.bookLanguage = job.bookLanguage;
    request.threads = job.threads;
    request.cancel = job.cancel;
    request.progress = job.progress;
    if (job.stopCheck && request.textStream) request.textStream->SetWaitCheck(job.stopCheck);

    BookJobResult result;
    result.made = BuildBookWithin(request, job.maxJarBytes, job.scratch, record);
    result.encoding = text.Encoding();
    result.fromBook = text.FromBook();
    result.conversionNotice = text.Notice();
    return result;
}

} // namespace lumira
