#pragma once
// A writer thread for a TextStream: hands a text over in pieces of every size, some empty, then
// ends it, or fails it with `failure` once the text is written. Joining gives the stream up first,
// so a writer whose reader stopped early never holds a test up.
#include "book/text_stream.h"

#include <exception>
#include <random>
#include <string>
#include <thread>

namespace lumira {

class TextFeed {
public:
    TextFeed(TextStream& stream, std::string text, std::exception_ptr failure = nullptr, unsigned seed = 1)
        : stream_(stream), thread_([this, text = std::move(text), failure, seed] {
              std::mt19937 random(seed);
              try {
                  for (std::size_t at = 0; at <= text.size();) {
                      const std::size_t n = std::min<std::size_t>(text.size() - at, random() % 40000);
                      stream_.Write(std::string_view(text).substr(at, n));
                      at += n;
                      if (at == text.size()) break;
                  }
                  if (failure) stream_.Fail(failure);
                  else stream_.End();
              } catch (const TextStreamAbandoned&) {
              }
          })
    {
    }
    ~TextFeed() { Join(); }
    void Join()
    {
        if (!thread_.joinable()) return;
        stream_.Abandon();
        thread_.join();
    }

private:
    TextStream& stream_;
    std::thread thread_;
};

} // namespace lumira
