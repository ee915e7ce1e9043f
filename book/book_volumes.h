#pragma once
// A book kept under a phone's package limit: built as one package when it fits, else split into
// volumes at paragraph ends, each a complete book of its own with a name of its own.
#include "book/book_builder.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace lumira {

// Longest MIDlet-Name some phones take, in bytes of UTF-8.
constexpr std::size_t kPhoneNameLimit = 32;

// What the phones of the day install at most when their maker names no limit.
constexpr std::uint64_t kCommonPackageLimit = 1024 * 1024;

// The warning for a title whose MIDlet-Name (the title, UTF-8) is longer than
// kPhoneNameLimit bytes; empty when it fits.
std::string LongTitleWarning(const std::string& title);
// The note for a package of `jarBytes` made without a package limit: most phones refuse one over
// kCommonPackageLimit. Empty when it is not larger or a limit was set (`maxJarBytes` not 0).
std::string LargePackageNote(std::uint64_t jarBytes, std::uint64_t maxJarBytes);

// One package written.
struct BookVolume {
    std::filesystem::path jar;
    std::uint64_t jarSize = 0;
    std::string titleUtf8;  // its MIDlet-Name
};

struct VolumesResult {
    std::vector<BookVolume> volumes;  // one: the book as asked for, at the chosen path
    std::vector<std::string> warnings;  // UTF-8, a line each
    int removedVolumes = 0;  // volumes of an earlier split removed with the new packages
};

// The package of volume `number` (from 1): "<name>_<number>" and the chosen extension.
std::filesystem::path VolumeJarPath(const std::filesystem::path& jarPath, int number);

// Where the text from `start` is cut so that the volume ends at or before `end`: after a line
// break followed by a blank or by another line break, else after a line break, else after a
// blank, each looked for only close before `end`; failing those, at `end` itself. A text
// that ends at or before `end` is not cut. Always past `start`.
std::size_t VolumeSplitPoint(std::string_view text, std::size_t start, std::size_t end);

// Builds the book so that no package is larger than `maxJarBytes` (0: no limit, which is
// BuildBook and nothing more). A book over the limit becomes as few volumes as the measured
// packages allow, <name>_1.jar/.jad, <name>_2.jar/.jad ..., titled "<title> 1", "<title> 2" ...;
// trial packages are made in a private folder under `scratchFolder` (not the work folder), and
// nothing is written at the chosen paths until every volume is known to fit. A template and font
// that alone exceed the limit are refused, giving both sizes. A volume's MIDlet-Name over
// kPhoneNameLimit bytes is warned about (the title of a book kept whole is the caller's to warn
// about, as it is chosen: LongTitleWarning). `record` is that of the last package written.
// First, what killed runs left at the package's place is finished or removed (RecoverFolder).
// The volumes of an earlier split of the same name beyond the new ones (all of them for a single
// package) go in the same step as the new files are put in place, but only those this program
// made (EarlierVolumes). No file written or removed may be the text itself.
// The volumes numbered above `kept` at the request's place that an earlier split made: a
// descriptor named as volume n's, of our reader (its MIDlet-1 line), naming volume n's package
// in MIDlet-Jar-URL and titled as a volume n, with that package beside it of the size it gives,
// or none; links, other files and the text itself are never among them. `volumes` receives
// their number; the result lists their files.
std::vector<RemovedFile> EarlierVolumes(const BookRequest& request, int kept, int& volumes);

// What the window and lumira-cli say when volumes of an earlier split were removed (UTF-8).
std::string RemovedVolumesNotice(int count);

VolumesResult BuildBookWithin(const BookRequest& request, std::uint64_t maxJarBytes,
                              const std::filesystem::path& scratchFolder, SettingsRecord& record);

} // namespace lumira
