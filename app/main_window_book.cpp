// Create: the .jar and the .jad of the book, built on a thread of their own while the window
// goes on living.
#include "app/main_window.h"
#include "formats/hyphenator.h"

#include "app/create_panel.h"
#include "book/book_job.h"
#include "book/book_text.h"
#include "book/book_volumes.h"
#include "platform/background_work.h"
#include "platform/cp1251.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/language.h"
#include "platform/paths.h"
#include "platform/scratch_folder.h"

#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include <atomic>
#include <exception>

namespace lumira {

namespace {

// How often the progress bar follows the build.
constexpr int kProgressIntervalMs = 40;
// Per mille of the bar given to cutting the text into pieces; the archive has the rest.
constexpr int kPiecesShare = 100;

// What the build thread shares with the window.
struct CreateJob {
    std::atomic<int> stage{static_cast<int>(BookStage::Pieces)};
    std::atomic<std::uint64_t> done{0};
    std::atomic<std::uint64_t> total{0};
    SettingsRecord record{};
    QString notice;
    QString sizeNote;  // a package larger than phones take
    QStringList jars;  // the packages written
    int removedVolumes = 0;  // of an earlier split
    std::exception_ptr error;

    int PerMille() const
    {
        const std::uint64_t t = total.load(), d = std::min(done.load(), t);
        const int share = t == 0 ? 0 : static_cast<int>(d * 1000 / t);
        if (stage.load() == static_cast<int>(BookStage::Pieces)) return share * kPiecesShare / 1000;
        return kPiecesShare + share * (1000 - kPiecesShare) / 1000;
    }
};

// While a build runs, a close of the window asks first: yes stops the build, and the close takes
// place once it has ended (the earlier book kept); no goes on building.
class CloseDuringCreate : public QObject {
public:
    CloseDuringCreate(QWidget* window, CreatePanel& panel) : window_(window), panel_(panel)
    {
        window_->installEventFilter(this);
    }
    ~CloseDuringCreate() override { window_->removeEventFilter(this); }
    bool Asked() const { return asked_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != window_ || event->type() != QEvent::Close) return false;
        event->ignore();
        if (asked_) return true;  // already stopping
        if (!TheDesktop().Ask(window_, MainWindow::tr("Книга ещё создаётся. Прервать и закрыть?"))) return true;
        asked_ = true;
        panel_.RequestCancel();
        panel_.cancel->setEnabled(false);
        return true;
    }

private:
    QWidget* window_;
    CreatePanel& panel_;
    bool asked_ = false;
};

// Turns the controls off whose use would change what is being built or start another build.
class ControlsHeld {
public:
    explicit ControlsHeld(std::initializer_list<QWidget*> controls)
    {
        for (QWidget* c : controls)
            if (c && c->isEnabled()) {
                c->setEnabled(false);
                held_.push_back(c);
            }
    }
    ~ControlsHeld()
    {
        for (QWidget* c : held_) c->setEnabled(true);
    }

private:
    std::vector<QWidget*> held_;
};

} // namespace

void MainWindow::b_okClick()
{
    // A text that has gone or cannot be read since it was chosen is reported before the save
    // dialog asks where to put a book that cannot be made. The book is made from this open file,
    // whatever takes its name while the dialog is up. A failure leaves no status line of an
    // earlier book, which would read as this one's.
    try {
        const TextFile text(ToFsPath(e_text->text()));
        BuildBookPackage(text);
    } catch (...) {
        ClearCreateStatus();
        throw;
    }
}

void MainWindow::BuildBookPackage(const TextFile& source)
{
    if (creating_) return;  // one build at a time

    // Without a phone there is nothing to fill the record with: say so before asking for a path.
    const PhoneProfile* profile = SelectedProfile();
    if (!profile) throw AppError(Translate("BookBuilder", kNoProfileMessage));
    if (IsBlankTitle(e_caption->text().toStdString())) throw AppError(Translate("BookBuilder", kBlankTitleMessage));

    SaveDialog1.filter = tr("Jar-пакет|*.jar|Все файлы|*.*");
    SaveDialog1.defaultExt = QStringLiteral("jar");
    const auto chosen = TheDesktop().SaveFile(this, SaveDialog1);
    if (!chosen) return;
    Book.saveDir = FolderPart(*chosen);

    // The build works on copies: the window may change its own state meanwhile.
    TakeControlValues();
    BookJob request;
    request.text = source;
    request.encoding = Book.encoding;
    request.title = Book.title;
    request.profile = *profile;
    request.background = Book.background;
    request.band = Book.band;
    request.dictionaryHyphens = Book.dictionaryHyphens;
    request.hyphenationFolders = HyphenationFolders(Folders);
    request.workFolder = ToFsPath(zipBaseFolder);
    request.templateFile = Folders.DataFile("velmar.dat");
    request.jar = ToFsPath(*chosen);
    request.maxJarBytes = profile->MaxJarBytes();
    if (ChosenBook) request.bookLanguage = ChosenBook->language;

    CreatePanel& panel = TheCreatePanel();
    CreateJob job;
    job.record = BookSettingsRecord;
    request.cancel = &panel.CancelFlag();
    request.progress = [&job](BookStage stage, std::uint64_t done, std::uint64_t total) {
        job.stage = static_cast<int>(stage);
        job.total = total;
        job.done = done;
    };

    creating_ = true;
    panel.Start();
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, &ticker, [&] { panel.SetShare(job.PerMille()); });
    ticker.start(kProgressIntervalMs);
    {
        // The glyph files and the record are the build's input: what changes them waits.
        const ControlsHeld held{b_ok, b_font, b_back, e_upper_cut, e_bott_cut, b_profiles};
        CloseDuringCreate closing(this, panel);
        try {
            RunWhileEventsTurn([&] {
                // A text in another encoding is converted into a copy in a private folder in the
                // system's temporary folder, outside the working folder whose whole content goes
                // into the package; a book is laid out while the package is built. What killed
                // runs left there goes first.
                const std::filesystem::path systemTemp = ToFsPath(QDir::tempPath());
                RemoveAbandonedScratchFolders(systemTemp);
                const ScratchFolder scratch(systemTemp, "window-");
                request.scratch = scratch.Path();
                const BookJobResult result = RunBookJob(request, job.record);
                const VolumesResult& made = result.made;
                for (const BookVolume& v : made.volumes) job.jars << FromFsPath(v.jar);
                job.removedVolumes = made.removedVolumes;
                if (made.volumes.size() == 1)
                    job.sizeNote = QString::fromStdString(LargePackageNote(made.volumes.front().jarSize, request.maxJarBytes));
                QStringList notices;
                for (const std::string& w : made.warnings) notices << QString::fromStdString(w);
                if (!result.conversionNotice.isEmpty()) notices << result.conversionNotice;
                job.notice = notices.join(QLatin1Char('\n'));
            });
        } catch (...) {
            job.error = std::current_exception();
        }
        ticker.stop();
        panel.Finish();
        creating_ = false;
        if (closing.Asked()) QTimer::singleShot(0, this, [this] { close(); });
    }

    if (job.error) {
        try {
            std::rethrow_exception(job.error);
        } catch (const BookCancelled& e) {
            panel.ShowStatus(QString::fromUtf8(e.what()));
            return;
        } catch (...) {
            panel.status->hide();
            throw;
        }
    }
    BookSettingsRecord = job.record;
    if (job.jars.size() > 1) panel.ShowSavedVolumes(job.jars);
    else panel.ShowSaved(*chosen, job.sizeNote);
    // Volumes of an earlier split are files of the user's that went: told with the warnings.
    if (job.removedVolumes > 0) job.notice += (job.notice.isEmpty() ? QString() : QStringLiteral("\n")) +
                                              QString::fromStdString(RemovedVolumesNotice(job.removedVolumes));
    if (!job.notice.isEmpty()) TheDesktop().ShowMessage(this, job.notice);
}

} // namespace lumira
