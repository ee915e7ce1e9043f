// The archive written on several threads: the same bytes whatever their number, work handed back
// in order, and a failure on any thread ending the archive with nothing half-written.
#include "book/deflate_engine.h"
#include "platform/ordered_work.h"
#include "book/piece_store.h"
#include "book/zip_archive.h"
#include "platform/errors.h"
#include "book/zip_test_util.h"
#include "platform/files.h"
#include "support/file_size_limit.h"
#include "support/temp_dir.h"
#include "support/text_checks.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <chrono>
#include <random>
#include <stdexcept>
#include <thread>

namespace lumira {

namespace fs = std::filesystem;

namespace {

// Text-like bytes that compress as a book does, from a seed.
std::string Prose(std::size_t size, unsigned seed)
{
    static const char* const words[] = {"книга ", "глава ", "и ", "он ", "сказал ", "\r\n", "дом ", "ночь "};
    std::mt19937 rnd(seed);
    std::string s;
    while (s.size() < size) s += words[rnd() % 8];
    s.resize(size);
    return s;
}

std::string Inflated(const std::vector<char>& packed, std::size_t size)
{
    std::string out(size, '\0');
    z_stream z{};
    inflateInit2(&z, -MAX_WBITS);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
    z.avail_in = static_cast<uInt>(packed.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    const int rc = inflate(&z, Z_FINISH);
    inflateEnd(&z);
    return rc == Z_STREAM_END && z.avail_out == 0 ? out : std::string("<broken>");
}

// A book-like tree: many pieces, an empty file, an incompressible one and one too large to be
// held whole, all with the same modification time.
void MakeTree(const TempDir& dir)
{
    for (int i = 0; i < 150; ++i) dir.Write("base/text/chunk." + std::to_string(i), Prose(32767 - i, i));
    dir.Write("base/config", std::string(27, '\x01'));
    dir.Write("base/empty", "");
    std::string noise(50000, '\0');
    std::mt19937 rnd(7);
    for (char& c : noise) c = static_cast<char>(rnd());
    dir.Write("base/noise.bin", noise);
    dir.Write("base/fonts/large", Prose((1 << 20) + 5000, 99));
    const auto stamp = fs::file_time_type::clock::now() - std::chrono::hours(24);
    for (const auto& e : fs::recursive_directory_iterator(dir / "base")) fs::last_write_time(e.path(), stamp);
}

} // namespace

TEST(OrderedWork, ResultsComeBackInOrderAndAFailureStopsAtItsTurn)
{
    for (unsigned threads : {1u, 2u, 8u}) {
        SCOPED_TRACE(threads);
        std::vector<std::size_t> seen;
        std::mt19937 rnd(threads);
        std::vector<int> delays(60);
        for (int& d : delays) d = static_cast<int>(rnd() % 300);
        const auto produce = [&](std::size_t i) {
            std::this_thread::sleep_for(std::chrono::microseconds(delays[i]));
            if (i == 41) throw std::runtime_error("item 41");
            return i * i;
        };
        const std::string error = ErrorOf([&] {
            RunInOrder<std::size_t>(60, threads, 3, produce, [&](std::size_t i, std::size_t& r) {
                EXPECT_EQ(r, i * i);
                seen.push_back(i);
            });
        });
        EXPECT_EQ(error, "item 41");
        ASSERT_EQ(seen.size(), 41u);
        for (std::size_t i = 0; i < seen.size(); ++i) EXPECT_EQ(seen[i], i);

        // A failure of the consumer stops the workers before it comes out.
        std::atomic<std::size_t> produced{0};
        EXPECT_EQ(ErrorOf([&] {
                      RunInOrder<int>(1000, threads, 4, [&](std::size_t) { return static_cast<int>(++produced); },
                                      [&](std::size_t i, int&) {
                                          if (i == 5) throw std::runtime_error("consumer");
                                      });
                  }),
                  "consumer");
        EXPECT_LE(produced.load(), 5u + 4u + threads);

        // Prepared in order, one at a time, and handed back in batches: the same results, the
        // failure in its turn, and no more than the window ahead of the item being consumed.
        std::vector<std::size_t> preparedOrder;
        std::atomic<int> preparing{0};
        std::atomic<std::size_t> furthest{0};
        seen.clear();
        const std::string batchError = ErrorOf([&] {
            RunInOrderPrepared<std::size_t>(
                60, threads, 6, 3,
                [&](std::size_t i) {
                    EXPECT_EQ(++preparing, 1);
                    preparedOrder.push_back(i);
                    --preparing;
                    if (i == 50) throw std::runtime_error("prepare 50");
                    return i + 1;
                },
                [&](std::size_t i, std::size_t& p) {
                    std::size_t f = furthest.load();
                    while (f < i && !furthest.compare_exchange_weak(f, i)) {
                    }
                    std::this_thread::sleep_for(std::chrono::microseconds(delays[i]));
                    return i * i + p;
                },
                [&](std::size_t i, std::size_t& r) {
                    EXPECT_EQ(r, i * i + i + 1);
                    EXPECT_LT(furthest.load(), i + std::max<std::size_t>(6, threads));  // the window
                    seen.push_back(i);
                });
        });
        EXPECT_EQ(batchError, "prepare 50");
        ASSERT_EQ(seen.size(), 50u);
        for (std::size_t i = 0; i < preparedOrder.size(); ++i) EXPECT_EQ(preparedOrder[i], i);
    }
}

TEST(ParallelArchive, ReadyFilesJoinTheirFolderInNameOrderInPlaceOfFilesOfTheirName)
{
    TempDir dir;
    dir.Write("base/a.txt", "first");
    dir.Write("base/store", "kept apart");
    dir.Write("base/text/chunk.5", "stale");
    dir.Write("base/text/note", "on disk");
    dir.Write("base/z/last", "last");
    const auto stamp = fs::file_time_type::clock::now() - std::chrono::hours(30);
    dir.Write("stamp", "");
    fs::last_write_time(dir / "stamp", stamp);
    ReadyFiles ready;
    ready.folder = "text";
    ready.stampFrom = dir / "stamp";
    ready.skip = dir / "base/store";
    std::vector<std::vector<char>> packed;
    RawDeflater deflater(kArchiveEngine, kArchiveLevel);
    for (const int i : {0, 10, 5, 2}) {
        const std::string bytes = Prose(1000 + i, static_cast<unsigned>(i));
        packed.emplace_back();
        const bool text = deflater.Compress(bytes.data(), bytes.size(), packed.back());
        ready.files.push_back({"chunk." + std::to_string(i), bytes.size(), Crc32Of(bytes.data(), bytes.size()), text});
    }
    ready.fetch = [&](std::size_t i, std::vector<char>& out) { out = packed[i]; };
    WriteFolderArchiveFile(dir / "a.zip", dir / "base", dir / "a.zip", {}, 2, &ready);
    EXPECT_EQ(EntryNames(dir / "a.zip"), (std::vector<std::string>{"a.txt", "text/", "text/chunk.0", "text/chunk.10",
                                                                    "text/chunk.2", "text/chunk.5", "text/note", "z/",
                                                                    "z/last"}));
    EXPECT_EQ(EntryContent(dir / "a.zip", "text/chunk.5"), Prose(1005, 5));  // minizip checks the CRC too
    EXPECT_EQ(EntryContent(dir / "a.zip", "text/note"), "on disk");

    // Their folder missing, they have nowhere to go.
    fs::remove_all(dir / "base/text");
    EXPECT_EQ(ErrorOf([&] { WriteFolderArchiveFile(dir / "b.zip", dir / "base", dir / "b.zip", {}, 2, &ready); }),
              CannotCreateText(dir / "base/text/chunk.0", ENOENT));
}

TEST(PieceStore, PiecesComeBackWholeFromMemoryAndSpillOnAnyThreadAndTheSpillGoes)
{
    TempDir dir;
    std::vector<std::vector<char>> pieces;
    std::mt19937 rnd(5);
    for (int i = 0; i < 300; ++i) {
        const std::string bytes = Prose(rnd() % 3000, static_cast<unsigned>(i));
        pieces.emplace_back(bytes.begin(), bytes.end());
    }
    {
        PieceStore store(dir / "spill", 20000);  // a few pieces in memory, the rest spilt
        for (const auto& p : pieces) store.Add(p);
        ASSERT_EQ(store.Count(), pieces.size());
        EXPECT_GT(fs::file_size(dir / "spill"), 200000u);
        std::vector<std::thread> readers;
        std::atomic<int> wrong{0};
        for (unsigned t = 0; t < 4; ++t)
            readers.emplace_back([&, t] {
                std::vector<char> got;
                for (std::size_t k = 0; k < pieces.size(); ++k) {
                    const std::size_t i = (k * 7 + t * 31) % pieces.size();  // out of order, as the archive asks
                    store.Fetch(i, got);
                    if (got != pieces[i]) ++wrong;
                }
            });
        for (auto& r : readers) r.join();
        EXPECT_EQ(wrong.load(), 0);
    }
    EXPECT_FALSE(fs::exists(dir / "spill"));
}

TEST(DeflateEngines, BothGiveStreamsThatInflateBackExactlyAndJudgeTextAlike)
{
    std::string noise(32767, '\0');
    std::mt19937 rnd(3);
    for (char& c : noise) c = static_cast<char>(rnd());
    std::string lateControl = Prose(300000, 4);
    lateControl[250000] = '\x01';  // a control byte far on: only zlib's first block counts
    std::vector<std::string> inputs = {std::string(), std::string("a"), std::string(32767, ' '), noise,
                                       Prose(32767, 5), lateControl, "\x07\x0c gray only\x01"};
    // Short texts with one control byte anywhere, word-aligned or in the tail.
    for (int i = 0; i < 120; ++i) {
        std::string s = Prose(1 + rnd() % 40, static_cast<unsigned>(10 + i));
        s[rnd() % s.size()] = static_cast<char>(rnd() % 32);
        inputs.push_back(s);
    }
    std::vector<bool> judged[2];
    for (const DeflateEngine engine : {DeflateEngine::Zlib, DeflateEngine::Libdeflate}) {
        RawDeflater deflater(engine, 9, 100000);
        for (const std::string& input : inputs) {
            SCOPED_TRACE(std::string(DeflateEngineName(engine)) + " " + std::to_string(input.size()));
            std::vector<char> packed;
            judged[engine == DeflateEngine::Zlib].push_back(deflater.Compress(input.data(), input.size(), packed));
            EXPECT_EQ(Inflated(packed, input.size()), input);
            EXPECT_EQ(Crc32Of(input.data(), input.size()),
                      crc32(0, reinterpret_cast<const Bytef*>(input.data()), static_cast<uInt>(input.size())));
        }
    }
    EXPECT_EQ(judged[0], judged[1]);
    // Empty, noise and a control byte up front are binary; plain text is text.
    EXPECT_EQ(std::vector<bool>(judged[1].begin(), judged[1].begin() + 5), (std::vector<bool>{false, true, true, false, true}));
    EXPECT_FALSE(judged[1][6]);
}

TEST(ParallelArchive, TheFastWayAndThePlainReferenceDifferOnlyInTheirCompressedBytes)
{
    TempDir dir;
    MakeTree(dir);
    for (int i = 12; i < 150; ++i) fs::remove(dir / "base/text" / ("chunk." + std::to_string(i)));  // enough for 3 threads
    WriteFolderArchive(dir / "reference.zip", dir / "base", {}, ArchiveCompression::Reference());
    WriteFolderArchive(dir / "fast.zip", dir / "base", {}, 3);
    EXPECT_EQ(ArchiveCompression::Reference().Engine(), DeflateEngine::Zlib);
    EXPECT_EQ(ArchiveCompression::Reference().Threads(), 1u);
    EXPECT_EQ(ArchiveCompression(3).Engine(), kArchiveEngine);

    const RawArchive reference = ReadRawArchive(dir / "reference.zip");
    const RawArchive fast = ReadRawArchive(dir / "fast.zip");
    ASSERT_EQ(fast.entries.size(), reference.entries.size());
    for (std::size_t i = 0; i < reference.entries.size(); ++i) {
        const RawEntry& r = reference.entries[i];
        const RawEntry& f = fast.entries[i];
        SCOPED_TRACE(r.name);
        EXPECT_EQ(f.name, r.name);
        EXPECT_EQ(f.size, r.size);
        EXPECT_EQ(f.method, r.method);
        EXPECT_EQ(f.flags, r.flags);
        EXPECT_EQ(f.internalAttr, r.internalAttr);  // the "text" attribute: zlib's judgement both ways
        EXPECT_EQ(f.externalAttr, r.externalAttr);
        EXPECT_EQ(f.dosTime, r.dosTime);
        EXPECT_EQ(f.dosDate, r.dosDate);
        // minizip checks each entry's CRC as it reads it.
        if (!r.name.ends_with('/')) {
            EXPECT_EQ(EntryContent(dir / "fast.zip", f.name), EntryContent(dir / "reference.zip", r.name));
        }
    }
}

TEST(ParallelArchive, AnArchiveThatCannotBeWrittenWholeIsRefusedWhereverTheWriteFails)
{
    TempDir dir;
    MakeTree(dir);
    std::string noise(3 << 19, '\0');
    std::mt19937 rnd(11);
    for (char& c : noise) c = static_cast<char>(rnd());
    dir.Write("base/fonts/noise.bin", noise);
    WriteFolderArchive(dir / "whole.zip", dir / "base", {}, 2);
    const std::string whole = ReadFileBytes(dir / "whole.zip");
    ASSERT_GT(whole.size(), 1u << 20);  // larger than the writer's buffer
    // In the first header, where the buffer first goes out, in the middle, and in the last bytes.
    for (const std::size_t limit : {std::size_t{10}, std::size_t{1} << 20, whole.size() / 2, whole.size() - 1}) {
        SCOPED_TRACE(limit);
        const std::string error = ErrorOf([&] {
            const FileSizeLimit full(limit);
            WriteFolderArchive(dir / "book.zip", dir / "base", {}, 2);
        });
        EXPECT_TRUE(Contains(error, "book.zip")) << error;
        // Not even a temporary file is left.
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 2);
    }
    WriteFolderArchive(dir / "book.zip", dir / "base", {}, 2);
    EXPECT_TRUE(ReadFileBytes(dir / "book.zip") == whole);
}

TEST(ParallelArchive, OneTwoAndEightThreadsWriteTheSameBytes)
{
    TempDir dir;
    MakeTree(dir);
    WriteFolderArchive(dir / "one.zip", dir / "base", {}, 1);
    const std::string one = ReadFileBytes(dir / "one.zip");
    for (unsigned threads : {2u, 8u}) {
        WriteFolderArchive(dir / "many.zip", dir / "base", {}, threads);
        EXPECT_TRUE(ReadFileBytes(dir / "many.zip") == one) << threads << " threads";
    }

    // Every entry reads back through minizip, which checks its CRC, and the headers hold what
    // the files held.
    const RawArchive raw = ReadRawArchive(dir / "one.zip");
    ASSERT_EQ(raw.entries.size(), 156u);
    for (const auto& e : raw.entries) {
        if (e.name.ends_with('/')) continue;
        SCOPED_TRACE(e.name);
        const std::string bytes = dir.Read("base/" + e.name);
        EXPECT_EQ(e.size, bytes.size());
        EXPECT_EQ(e.method, bytes.empty() ? 0 : 8);
        EXPECT_EQ(EntryContent(dir / "one.zip", e.name), bytes);
    }
}

TEST(ParallelArchive, AFileFailingOnAnotherThreadEndsTheArchiveWithItsMessage)
{
    TempDir dir;
    MakeTree(dir);
    dir.Write("earlier.zip", "earlier archive");
    // The piece goes away after the tree was measured, while the first pieces are being written.
    const std::string error = ErrorOf([&] {
        WriteFolderArchive(dir / "earlier.zip", dir / "base", [&](std::uint64_t done, std::uint64_t) {
            if (done > 0) fs::remove(dir / "base/text/chunk.7");
        }, 2);
    });
    EXPECT_TRUE(Contains(error, "chunk.7")) << error;
    EXPECT_EQ(dir.Read("earlier.zip"), "earlier archive");

    // A failure while writing (here from the progress report) leaves nothing either.
    EXPECT_EQ(ErrorOf([&] {
                  WriteFolderArchive(dir / "earlier.zip", dir / "base", [&](std::uint64_t done, std::uint64_t) {
                      if (done > 1000000) throw std::runtime_error("stop");
                  }, 8);
              }),
              "stop");
    EXPECT_EQ(dir.Read("earlier.zip"), "earlier archive");
    std::vector<std::string> left;
    for (const auto& e : fs::directory_iterator(dir.Path())) left.push_back(e.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"base", "earlier.zip"}));
}

TEST(ParallelArchive, TextAttributeIsZlibsJudgementOfTheWholeFile)
{
    // zlib fed as a streaming writer feeds it: its data type after the whole file.
    const auto zlibSaysText = [](const std::string& bytes) {
        z_stream z{};
        deflateInit2(&z, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
        std::vector<unsigned char> sink(bytes.size() + 1024);
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
        z.avail_in = static_cast<uInt>(bytes.size());
        z.next_out = sink.data();
        z.avail_out = static_cast<uInt>(sink.size());
        deflate(&z, Z_FINISH);
        const bool text = z.data_type == Z_TEXT;
        deflateEnd(&z);
        return text;
    };
    const std::string prose = Prose(200000, 11);
    std::string lateControl = prose;
    lateControl[150000] = '\x01';  // past zlib's first block
    std::string binaryStart = prose;
    binaryStart[0] = '\x02';
    const std::vector<std::string> cases = {
        prose, lateControl, binaryStart, std::string("\x07\x08\x0b\x0c\x1a\x1b", 6), std::string(1, '\0'),
        "x", std::string("\x1b[1m bold", 10) + prose.substr(0, 40000), prose.substr(0, 30000) + std::string(1, '\0')};
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        TempDir dir;
        dir.Write("base/f", cases[i]);
        WriteFolderArchive(dir / "a.zip", dir / "base", {}, 2);
        const RawArchive raw = ReadRawArchive(dir / "a.zip");
        ASSERT_EQ(raw.entries.size(), 1u);
        EXPECT_EQ(raw.entries[0].internalAttr, zlibSaysText(cases[i]) ? 1 : 0);
    }
}

} // namespace lumira
