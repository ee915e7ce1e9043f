// A hyphenation dictionary's state machine written out and read back, checked as it is read.
#include "formats/compiled_dictionary.h"

#include "platform/paths.h"

#include <QFile>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <hyphen.h>
#include <libdeflate.h>
#ifndef _WIN32
#include <sys/mman.h>
#endif

namespace lumira {

namespace {

namespace fs = std::filesystem;

constexpr char kMagic[8] = {'H', 'Y', 'P', 'H', 'S', 'M', '0', '1'};
// Written in the machine's own byte order: a file of another order reads back as another value.
constexpr std::uint32_t kByteOrder = 0x01020304;
constexpr size_t kHeaderSize = sizeof kMagic + 4 + 4 + 8;
// libhyphen makes one level, or two for compound words; more means a damaged chain.
constexpr size_t kMostLevels = 8;

class Writer {
public:
    template <typename T> void Put(T value) { Bytes(&value, sizeof value); }
    void Bytes(const void* data, size_t size) { out_.append(static_cast<const char*>(data), size); }
    std::string& Out() { return out_; }

private:
    std::string out_;
};

class Reader {
public:
    Reader(const char* data, size_t size) : at_(data), end_(data + size) {}
    template <typename T> T Get()
    {
        T value{};
        if (static_cast<size_t>(end_ - at_) < sizeof value) {
            failed_ = true;
            return value;
        }
        std::memcpy(&value, at_, sizeof value);
        at_ += sizeof value;
        return value;
    }
    // `size` bytes, or nullptr when the data ends first.
    const char* Bytes(size_t size)
    {
        if (static_cast<size_t>(end_ - at_) < size) {
            failed_ = true;
            return nullptr;
        }
        const char* bytes = at_;
        at_ += size;
        return bytes;
    }
    bool Failed() const { return failed_; }
    bool AtEnd() const { return at_ == end_; }

private:
    const char* at_;
    const char* end_;
    bool failed_ = false;
};

std::uint32_t Checksum(std::string_view bytes)
{
    return libdeflate_crc32(0, bytes.data(), bytes.size());
}

// The length of libhyphen's "no hyphen" list: `count` + 1 strings, each ended by a zero byte.
size_t NoHyphenBytes(const char* list, int count)
{
    size_t length = 0;
    for (int i = 0; i <= count; ++i) length += std::strlen(list + length) + 1;
    return length;
}

// A state as the file holds it: its transitions a run of the level's table, its strings
// offsets into the level's string pool (-1 for none).
struct StateRecord {
    std::int32_t fallback;
    std::int32_t firstTransition;
    std::int32_t transitions;
    std::int32_t match;
    std::int32_t repl;
    std::int8_t replindex;
    std::int8_t replcut;
    std::int16_t unused;
};

struct LevelRecord {
    std::int8_t lhmin, rhmin, clhmin, crhmin;
    std::int32_t utf8;
    char cset[MAX_NAME];
    std::int32_t nohyphenl;
    std::int32_t nohyphen;  // offset into the string pool, -1 for none
    std::int32_t states;
    std::int32_t transitions;
    std::int32_t poolSize;
};

void WriteLevel(Writer& w, const HyphenDict& level)
{
    std::string pool;
    const auto pooled = [&pool](const char* s, size_t length) -> std::int32_t {
        if (!s) return -1;
        const auto at = static_cast<std::int32_t>(pool.size());
        pool.append(s, length);
        pool += '\0';
        return at;
    };
    std::vector<StateRecord> states;
    std::vector<HyphenTrans> transitions;
    for (int s = 0; s < level.num_states; ++s) {
        const HyphenState& state = level.states[s];
        StateRecord record{};
        record.fallback = state.fallback_state;
        record.firstTransition = static_cast<std::int32_t>(transitions.size());
        record.transitions = state.num_trans;
        record.match = pooled(state.match, state.match ? std::strlen(state.match) : 0);
        record.repl = pooled(state.repl, state.repl ? std::strlen(state.repl) : 0);
        record.replindex = state.replindex;
        record.replcut = state.replcut;
        states.push_back(record);
        for (int t = 0; t < state.num_trans; ++t) {
            HyphenTrans transition{};  // padding zeroed: the file's bytes depend on the machine alone
            transition.ch = state.trans[t].ch;
            transition.new_state = state.trans[t].new_state;
            transitions.push_back(transition);
        }
    }
    LevelRecord header{};
    header.lhmin = static_cast<std::int8_t>(level.lhmin);
    header.rhmin = static_cast<std::int8_t>(level.rhmin);
    header.clhmin = static_cast<std::int8_t>(level.clhmin);
    header.crhmin = static_cast<std::int8_t>(level.crhmin);
    header.utf8 = level.utf8;
    std::memcpy(header.cset, level.cset, sizeof header.cset);
    header.nohyphenl = level.nohyphenl;
    header.nohyphen = level.nohyphen ? pooled(level.nohyphen, NoHyphenBytes(level.nohyphen, level.nohyphenl) - 1) : -1;
    header.states = level.num_states;
    header.transitions = static_cast<std::int32_t>(transitions.size());
    header.poolSize = static_cast<std::int32_t>(pool.size());
    w.Put(header);
    w.Bytes(states.data(), states.size() * sizeof(StateRecord));
    w.Bytes(transitions.data(), transitions.size() * sizeof(HyphenTrans));
    w.Bytes(pool.data(), pool.size());
}

void WriteSource(Writer& w, const DictionarySource& source)
{
    w.Put<std::uint64_t>(source.size);
    w.Put<std::int64_t>(source.time);
    w.Put<std::uint32_t>(static_cast<std::uint32_t>(source.path.size()));
    w.Bytes(source.path.data(), source.path.size());
}

// Whether a level's machine is one libhyphen's matcher walks safely: the transitions a tree from
// the first state that holds every state, each fallback to a shallower state (so the fallback
// walk ends), no match longer than its state's depth allows, a replacement's index inside its match.
bool Walkable(const HyphenDict& level)
{
    const auto n = static_cast<size_t>(level.num_states);
    std::vector<int> depth(n, -1);
    std::vector<size_t> queue{0};
    queue.reserve(n);
    depth[0] = 0;
    for (size_t q = 0; q < queue.size(); ++q) {
        const HyphenState& state = level.states[queue[q]];
        for (int t = 0; t < state.num_trans; ++t) {
            const int next = state.trans[t].new_state;
            if (next <= 0 || static_cast<size_t>(next) >= n || depth[static_cast<size_t>(next)] != -1) return false;
            depth[static_cast<size_t>(next)] = depth[queue[q]] + 1;
            queue.push_back(static_cast<size_t>(next));
        }
    }
    if (queue.size() != n || level.states[0].fallback_state != -1) return false;
    for (size_t s = 1; s < n; ++s) {
        const int fallback = level.states[s].fallback_state;
        if (fallback < -1 || fallback >= static_cast<int>(n) || (fallback >= 0 && depth[static_cast<size_t>(fallback)] >= depth[s]))
            return false;
    }
    for (size_t s = 0; s < n; ++s) {
        const HyphenState& state = level.states[s];
        const size_t matchLength = state.match ? std::strlen(state.match) : 0;
        if (matchLength > static_cast<size_t>(depth[s]) + 1) return false;
        if (state.repl && (!state.match || state.replindex < 0 || static_cast<size_t>(state.replindex) >= matchLength ||
                           state.replcut < 0))
            return false;
    }
    return true;
}

// Whether a "no hyphen" list holds `count` + 1 strings before the pool's end, none empty (an
// empty one would have libhyphen mark before the word). The pool ends in a zero byte.
bool NoHyphenListFits(const char* list, const char* poolEnd, int count)
{
    if (count < 0) return false;
    for (int i = 0; i <= count; ++i) {
        if (list >= poolEnd || *list == '\0') return false;
        list += std::strlen(list) + 1;
    }
    return true;
}

} // namespace

// A level's memory, its pages mapped in one go where the system allows: touched page by page,
// the half megabyte of fresh memory a large dictionary takes costs more than reading the file.
class CompiledDictionary::LevelMemory {
public:
    explicit LevelMemory(size_t size) : size_(std::max<size_t>(size, 1))
    {
#ifdef MAP_POPULATE
        void* mapped = mmap(nullptr, size_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
        if (mapped != MAP_FAILED) {
            data_ = static_cast<char*>(mapped);
            mapped_ = true;
            return;
        }
#endif
        data_ = static_cast<char*>(std::malloc(size_));
    }
    ~LevelMemory()
    {
#ifdef MAP_POPULATE
        if (mapped_) {
            munmap(data_, size_);
            return;
        }
#endif
        std::free(data_);
    }
    LevelMemory(const LevelMemory&) = delete;
    LevelMemory& operator=(const LevelMemory&) = delete;
    // Aligned for the states; nullptr when no memory could be had.
    char* Data() { return data_; }

private:
    size_t size_;
    char* data_ = nullptr;
    bool mapped_ = false;
};

CompiledDictionary::~CompiledDictionary() = default;

std::string CompileDictionary(const HyphenDict& dict, const DictionarySource& source)
{
    std::vector<const HyphenDict*> levels;
    for (const HyphenDict* level = &dict; level; level = level->nextlevel) {
        if (levels.size() == kMostLevels) return {};
        levels.push_back(level);
    }
    Writer payload;
    WriteSource(payload, source);
    payload.Put<std::uint32_t>(static_cast<std::uint32_t>(levels.size()));
    for (const HyphenDict* level : levels) WriteLevel(payload, *level);

    Writer file;
    file.Bytes(kMagic, sizeof kMagic);
    file.Put<std::uint32_t>(kByteOrder);
    file.Put<std::uint32_t>(Checksum(payload.Out()));
    file.Put<std::uint64_t>(payload.Out().size());
    file.Out() += payload.Out();
    return std::move(file.Out());
}

std::unique_ptr<CompiledDictionary> CompiledDictionary::Read(const fs::path& file, const DictionarySource& source)
{
    // Mapped rather than read: the file's pages are shared with the system's cache, which costs
    // less than copying them into fresh memory. Nothing points into the mapping once Read returns.
    QFile in(FromFsPath(file));
    if (!in.open(QIODevice::ReadOnly)) return nullptr;
    const qint64 fileSize = in.size();
    if (fileSize < static_cast<qint64>(kHeaderSize) || fileSize > (qint64{1} << 30)) return nullptr;
    QByteArray copy;
    const char* data = reinterpret_cast<const char*>(in.map(0, fileSize));
    if (!data) {
        copy = in.readAll();
        if (copy.size() != fileSize) return nullptr;
        data = copy.constData();
    }
    const std::string_view bytes(data, static_cast<size_t>(fileSize));
    std::unique_ptr<CompiledDictionary> compiled(new CompiledDictionary);
    Reader header(bytes.data(), kHeaderSize);
    const char* magic = header.Bytes(sizeof kMagic);
    if (std::memcmp(magic, kMagic, sizeof kMagic) != 0 || header.Get<std::uint32_t>() != kByteOrder) return nullptr;
    const auto checksum = header.Get<std::uint32_t>();
    const auto payloadSize = header.Get<std::uint64_t>();
    const std::string_view payload = bytes.substr(kHeaderSize);
    if (payloadSize != payload.size() || Checksum(payload) != checksum) return nullptr;

    Reader r(payload.data(), payload.size());
    const auto size = r.Get<std::uint64_t>();
    const auto time = r.Get<std::int64_t>();
    const auto pathLength = r.Get<std::uint32_t>();
    const char* path = r.Bytes(pathLength);
    if (r.Failed() || size != source.size || time != source.time || std::string_view(path, pathLength) != source.path)
        return nullptr;
    const auto levelCount = r.Get<std::uint32_t>();
    if (r.Failed() || levelCount == 0 || levelCount > kMostLevels) return nullptr;
    for (std::uint32_t l = 0; l < levelCount; ++l) {
        const auto head = r.Get<LevelRecord>();
        // Each count no larger than the bytes left could hold.
        const auto left = payload.size();
        if (r.Failed() || head.states <= 0 || head.transitions < 0 || head.poolSize < 0 ||
            static_cast<std::uint64_t>(head.states) > left / sizeof(StateRecord) ||
            static_cast<std::uint64_t>(head.transitions) > left / sizeof(HyphenTrans) || !std::memchr(head.cset, 0, sizeof head.cset))
            return nullptr;
        const char* stateBytes = r.Bytes(static_cast<size_t>(head.states) * sizeof(StateRecord));
        const char* transitionBytes = r.Bytes(static_cast<size_t>(head.transitions) * sizeof(HyphenTrans));
        const char* poolBytes = r.Bytes(static_cast<size_t>(head.poolSize));
        if (r.Failed() || (head.poolSize > 0 && poolBytes[head.poolSize - 1] != '\0')) return nullptr;
        // The level's states, transitions and strings, in that order, in one block.
        const size_t stateSize = static_cast<size_t>(head.states) * sizeof(HyphenState);
        const size_t transitionSize = static_cast<size_t>(head.transitions) * sizeof(HyphenTrans);
        char* memory = compiled->memory_.emplace_back(std::make_unique<LevelMemory>(stateSize + transitionSize + static_cast<size_t>(head.poolSize)))->Data();
        if (!memory) return nullptr;
        auto* states = reinterpret_cast<HyphenState*>(memory);
        auto* transitions = reinterpret_cast<HyphenTrans*>(memory + stateSize);
        char* pool = memory + stateSize + transitionSize;
        std::memcpy(pool, poolBytes, static_cast<size_t>(head.poolSize));
        std::memcpy(static_cast<void*>(transitions), transitionBytes, transitionSize);
        // A string of the pool: its offset within it (the pool ends in a zero byte, so every string does).
        bool fits = true;
        const auto pooled = [&](std::int32_t at) -> char* {
            if (at == -1) return nullptr;
            if (at < 0 || at >= head.poolSize) {
                fits = false;
                return nullptr;
            }
            return pool + at;
        };

        auto level = std::make_unique<HyphenDict>();
        level->lhmin = static_cast<char>(head.lhmin);
        level->rhmin = static_cast<char>(head.rhmin);
        level->clhmin = static_cast<char>(head.clhmin);
        level->crhmin = static_cast<char>(head.crhmin);
        level->utf8 = head.utf8;
        std::memcpy(level->cset, head.cset, sizeof level->cset);
        level->nohyphenl = head.nohyphenl;
        level->nohyphen = pooled(head.nohyphen);
        if (level->nohyphen && !NoHyphenListFits(level->nohyphen, pool + head.poolSize, head.nohyphenl))
            return nullptr;
        for (size_t s = 0; s < static_cast<size_t>(head.states); ++s) {
            StateRecord record;
            std::memcpy(&record, stateBytes + s * sizeof record, sizeof record);
            if (record.transitions < 0 || record.firstTransition < 0 || record.firstTransition > head.transitions ||
                record.transitions > head.transitions - record.firstTransition)
                return nullptr;
            // Every field is set below: no clearing first (a string instruction per state).
            HyphenState& state = *new (states + s) HyphenState;
            state.fallback_state = record.fallback;
            state.num_trans = record.transitions;
            state.trans = transitions + record.firstTransition;
            state.match = pooled(record.match);
            state.repl = pooled(record.repl);
            state.replindex = record.replindex;
            state.replcut = record.replcut;
        }
        level->num_states = head.states;
        level->states = states;
        if (!fits || !Walkable(*level)) return nullptr;
        if (!compiled->levels_.empty()) compiled->levels_.back()->nextlevel = level.get();
        compiled->levels_.push_back(std::move(level));
    }
    if (!r.AtEnd()) return nullptr;
    return compiled;
}

fs::path CompiledDictionaryFile(const fs::path& folder, const DictionarySource& source)
{
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a, the same in every build
    for (const char c : source.path) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    return folder / (fs::path(source.path).stem().string() + "-" + hex + ".hsm");
}

} // namespace lumira
