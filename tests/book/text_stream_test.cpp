// The stream between the thread that lays a book out and the builder that packs it: every byte
// in order whatever the sizes on either side, the writer's failure after its bytes, and a reader
// that gives up never leaves the writer waiting.
#include "book/text_normaliser.h"
#include "book/text_stream.h"
#include "platform/errors.h"
#include "support/text_feed.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <random>
#include <thread>

namespace lumira {

namespace {

std::string RandomText(std::size_t size, unsigned seed)
{
    std::mt19937 random(seed);
    std::string text(size, '\0');
    for (char& c : text) c = static_cast<char>('a' + random() % 26);
    return text;
}

// Reads the whole stream in reads of random sizes (some empty).
std::string ReadAll(TextStream& stream, unsigned seed)
{
    std::mt19937 random(seed);
    std::string out, buffer(5000, '\0');
    for (;;) {
        const std::size_t want = random() % buffer.size();
        const std::size_t n = stream.Read(buffer.data(), want);
        if (n == 0 && want > 0) return out;
        out.append(buffer.data(), n);
    }
}

} // namespace

TEST(TextStream, EveryByteArrivesInOrderWhateverTheSizesOnEitherSide)
{
    for (const std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{64}, std::size_t{100001}}) {
        for (const std::size_t block : {std::size_t{1}, std::size_t{4093}, std::size_t{65536}}) {
            SCOPED_TRACE(std::to_string(size) + " bytes in blocks of " + std::to_string(block));
            const std::string text = RandomText(size, static_cast<unsigned>(size + block));
            TextStream stream(block, 2);
            TextFeed feed(stream, text, nullptr, static_cast<unsigned>(block));
            EXPECT_TRUE(ReadAll(stream, 3) == text);
            // The end stays the end.
            char c;
            EXPECT_EQ(stream.Read(&c, 1), 0u);
        }
    }
}

TEST(TextStream, TheWritersFailureComesAfterItsBytesAndAReaderThatStopsFreesTheWriter)
{
    const std::string text = RandomText(200000, 9);
    {
        // Blocks that do not divide the text: the last part of one is still read before the failure.
        TextStream stream(999, 3);
        TextFeed feed(stream, text, std::make_exception_ptr(AppError("строка 3, столбец 7")));
        std::string got, buffer(777, '\0');
        try {
            for (std::size_t n; (n = stream.Read(buffer.data(), buffer.size())) > 0;) got.append(buffer.data(), n);
            ADD_FAILURE() << "the failure was not told";
        } catch (const AppError& e) {
            EXPECT_STREQ(e.what(), "строка 3, столбец 7");
        }
        EXPECT_TRUE(got == text);
    }
    {
        // The reader takes a little and stops; the writer, far from done, is not left waiting.
        TextStream stream(1000, 3);
        TextFeed feed(stream, text);
        char buffer[10];
        EXPECT_EQ(stream.Read(buffer, sizeof buffer), sizeof buffer);
        stream.Abandon();
        EXPECT_THROW(stream.Read(buffer, sizeof buffer), TextStreamAbandoned);
        feed.Join();
    }
    {
        // Read through the normaliser, the stream gives what the same bytes in a file give.
        TextStream stream(10, 2);
        TextFeed feed(stream, "one\rtwo\nthree\r\nfour");
        NormalisedText normalised(stream);
        std::string out(100, '\0');
        out.resize(normalised.Read(out.data(), out.size()));
        EXPECT_EQ(out, "one\r\ntwo\r\nthree\r\nfour\r\n");
    }
}

TEST(TextStream, AReaderWaitingForAWriterThatHasNotBegunIsStoppedByItsCheck)
{
    // The writer works a long time before its first byte (a book read for its notes first).
    TextStream stream(1000, 3);
    std::atomic<bool> stop{false};
    std::atomic<int> checks{0};
    stream.SetWaitCheck([&] {
        ++checks;
        if (stop) throw std::runtime_error("stopped");
    });
    std::atomic<bool> writerStopped{false};
    std::thread writer([&] {
        try {
            for (int i = 0; i < 1000; ++i) {
                stream.CheckGoing();
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        } catch (const TextStreamAbandoned&) {
            writerStopped = true;
        }
    });
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        stop = true;
    });
    char buffer[10];
    const auto asked = std::chrono::steady_clock::now();
    EXPECT_THROW(stream.Read(buffer, sizeof buffer), std::runtime_error);
    const auto waited = std::chrono::steady_clock::now() - asked;
    stopper.join();
    writer.join();
    // Checked while it waited, stopped soon after the request, and the writer learnt it.
    EXPECT_GE(checks.load(), 2);
    EXPECT_LT(waited, std::chrono::seconds(5));
    EXPECT_TRUE(writerStopped);
    EXPECT_THROW(stream.Read(buffer, sizeof buffer), TextStreamAbandoned);
}

} // namespace lumira
