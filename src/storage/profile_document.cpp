// The profile-file format in memory: the header scan, lookup by folded names, edits and
// serialising.
#include "storage/profile_document.h"

#include <algorithm>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "common/utf8.h"
#include "storage/text_encoding.h"

namespace tarvo {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool isBlankLine(std::string_view s) {
    return trimBlanks(s).empty();
}

// The position of the "=" of a key line, or npos for comments and lines without one.
std::size_t keySeparator(std::string_view line) {
    std::size_t i = 0;
    while (i < line.size() && isBlank(line[i])) ++i;
    if (i < line.size() && line[i] == ';') return std::string_view::npos;
    return line.find('=', i);
}

// Finds the line ends of a text in order: each call gives the first CR or LF at or after from,
// or the text's size; from never goes back between calls. With SSE2 it tests sixteen bytes at
// a time and keeps their result for the next lines in the same block.
class LineEnds {
  public:
    explicit LineEnds(std::string_view text) : text_(text) {}

    std::size_t next(std::size_t from) {
#if defined(__SSE2__)
        for (;;) {
            if (from < blockEnd_) {
                const unsigned found = mask_ & (0xFFFFu << (from - block_));
                if (found != 0) return block_ + static_cast<std::size_t>(__builtin_ctz(found));
                from = blockEnd_;
            }
            if (from + 16 > text_.size()) break;
            const __m128i bytes =
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(text_.data() + from));
            const __m128i ends = _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\r')),
                                              _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n')));
            mask_ = static_cast<unsigned>(_mm_movemask_epi8(ends));
            block_ = from;
            blockEnd_ = from + 16;
        }
#endif
        while (from < text_.size() && text_[from] != '\r' && text_[from] != '\n') ++from;
        return from;
    }

  private:
    std::string_view text_;
#if defined(__SSE2__)
    std::size_t block_ = 0;
    std::size_t blockEnd_ = 0;
    unsigned mask_ = 0;
#endif
};

// Splits a text into lines with their line ends, in order.
template <typename Eol>
class LineReader {
  public:
    LineReader(std::string_view text, std::size_t from) : text_(text), ends_(text), pos_(from) {}

    // The next line starting before end, into text and eol; false when there is none.
    bool next(std::size_t end, std::string_view& text, Eol& eol, std::size_t& start) {
        if (pos_ >= end) return false;
        start = pos_;
        const std::size_t stop = ends_.next(pos_);
        text = text_.substr(pos_, stop - pos_);
        if (stop == text_.size()) {
            eol = Eol::None;
            pos_ = stop;
        } else if (text_[stop] == '\n') {
            eol = Eol::Lf;
            pos_ = stop + 1;
        } else if (stop + 1 < text_.size() && text_[stop + 1] == '\n') {
            eol = Eol::CrLf;
            pos_ = stop + 2;
        } else {
            eol = Eol::Cr;
            pos_ = stop + 1;
        }
        return true;
    }

  private:
    std::string_view text_;
    LineEnds ends_;
    std::size_t pos_;
};

// FNV-1a with a final mix, so that the low bits the index uses depend on every byte.
std::uint64_t hashOf(std::string_view s) {
    std::uint64_t h = 0xCBF29CE484222325u;
    for (const char c : s) {
        h ^= static_cast<unsigned char>(c);
        h *= 0x100000001B3u;
    }
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDu;
    h ^= h >> 33;
    return h;
}

// Simple lower-case mapping for the letters of the scripts profile names are likely to use.
char32_t foldCodePoint(char32_t c) {
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;
    if ((c >= 0x100 && c <= 0x12F) || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) {
        return c | 1;
    }
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1) ? c + 1 : c;
    if (c == 0x178) return 0xFF;
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 0x20;
    if (c >= 0x400 && c <= 0x40F) return c + 0x50;
    if (c >= 0x410 && c <= 0x42F) return c + 0x20;
    return c;
}

// Decodes the two-byte sequence at i (all letters foldCodePoint changes are two bytes long);
// returns 2, or 0 when the bytes there are something else.
std::size_t decodeShort(std::string_view s, std::size_t i, char32_t& cp) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    if ((b0 & 0xE0) == 0xC0 && i + 1 < s.size()) {
        const auto b1 = static_cast<unsigned char>(s[i + 1]);
        if ((b1 & 0xC0) != 0x80) return 0;
        cp = (char32_t{b0 & 0x1Fu} << 6) | (b1 & 0x3F);
        return cp >= 0x80 ? 2 : 0;
    }
    return 0;
}

// Folds the letter case of name into out. Folding keeps every character's length, so the
// result is written in place.
void foldCaseInto(std::string_view name, std::string& out) {
    out.resize(name.size());
    char* to = out.data();
    for (std::size_t i = 0; i < name.size();) {
        const char c = name[i];
        if (static_cast<unsigned char>(c) < 0x80) {
            to[i++] = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
            continue;
        }
        char32_t cp = 0;
        if (decodeShort(name, i, cp) == 0) {
            to[i++] = c;
            continue;
        }
        // Every letter foldCodePoint maps stays a two-byte sequence.
        const char32_t folded = foldCodePoint(cp);
        to[i] = static_cast<char>(0xC0 | (folded >> 6));
        to[i + 1] = static_cast<char>(0x80 | (folded & 0x3F));
        i += 2;
    }
}

}  // namespace

void ProfileDocument::foldNameInto(std::string_view name, std::string& out) {
    foldCaseInto(trimBlanks(name), out);
}

std::string ProfileDocument::foldCase(std::string_view text) {
    std::string out;
    foldCaseInto(text, out);
    return out;
}

std::string ProfileDocument::foldName(std::string_view name) {
    std::string out;
    out.reserve(name.size());
    foldNameInto(name, out);
    return out;
}

ProfileDocument::ProfileDocument() = default;
ProfileDocument::ProfileDocument(ProfileDocument&&) noexcept = default;
ProfileDocument& ProfileDocument::operator=(ProfileDocument&&) noexcept = default;
ProfileDocument::~ProfileDocument() = default;

ProfileDocument::ProfileDocument(std::string_view bytes) {
    load(bytes, nullptr);
}

ProfileDocument ProfileDocument::fromBytes(std::string&& bytes) {
    ProfileDocument doc;
    doc.load(bytes, &bytes);
    return doc;
}

// Converts the file to UTF-8 text when it is in another encoding; a UTF-8 file is taken over
// from adoptable when the caller gave it, copied otherwise.
void ProfileDocument::load(std::string_view bytes, std::string* adoptable) {
    std::size_t skip = 0;
    if (bytes.substr(0, 3) == kUtf8Bom) {
        encoding_ = Encoding::Utf8WithBom;
        skip = kUtf8Bom.size();
    } else if (bytes.substr(0, 2) == "\xFF\xFE") {
        encoding_ = Encoding::Utf16Le;
        source_ = std::make_unique<std::string>(text::utf16ToUtf8(bytes.substr(2), false));
    } else if (bytes.substr(0, 2) == "\xFE\xFF") {
        encoding_ = Encoding::Utf16Be;
        source_ = std::make_unique<std::string>(text::utf16ToUtf8(bytes.substr(2), true));
    } else if (!text::isWellFormedUtf8(bytes)) {
        encoding_ = Encoding::Legacy;
        source_ = std::make_unique<std::string>(text::legacyLinesToUtf8(bytes));
    }
    if (source_ == nullptr) {
        source_ = adoptable != nullptr ? std::make_unique<std::string>(std::move(*adoptable))
                                       : std::make_unique<std::string>(bytes);
    }
    text_ = std::string_view(*source_).substr(skip);
    scan();
}

// One pass over the text: counts the line ends and notes where each section header starts.
// Lines are split only when a section is read or edited.
void ProfileDocument::scan() {
    sections_.reserve(text_.size() / 128 + 1);
    LineReader<Eol> lines(text_, 0);
    std::string_view line;
    Eol eol = Eol::None;
    std::size_t start = 0;
    std::string folded;
    while (lines.next(text_.size(), line, eol, start)) {
        ++eolCounts_[static_cast<std::size_t>(eol)];
        std::size_t i = 0;
        while (i < line.size() && isBlank(line[i])) ++i;
        if (i == line.size() || line[i] != '[') continue;
        // The name ends at the line's last "]", as the platform's own reader has it, so a file
        // name such as "setup[1].exe" names its record.
        const std::size_t close = line.rfind(']');
        if (close == std::string_view::npos || close <= i) continue;
        const std::string_view name = line.substr(i + 1, close - i - 1);
        if (sections_.empty()) {
            preambleEnd_ = start;
        } else {
            sections_.back().end = start;
        }
        foldNameInto(name, folded);
        sections_.push_back({hashOf(folded), name, start, text_.size()});
    }
    if (sections_.empty()) preambleEnd_ = text_.size();
    rebuildIndex(sections_.size());
}

std::string_view ProfileDocument::own(std::string text) {
    owned_.push_back(std::make_unique<std::string>(std::move(text)));
    return *owned_.back();
}

// The section's lines, split from the text the first time they are needed.
ProfileDocument::Lines& ProfileDocument::linesOf(Section& section) {
    if (section.lines != kUntouched) return edited_[section.lines];
    Lines lines;
    LineReader<Eol> reader(text_, section.begin);
    std::string_view text;
    Eol eol = Eol::None;
    std::size_t start = 0;
    reader.next(section.end, text, eol, start);
    lines.header = {text, eol};
    while (reader.next(section.end, text, eol, start)) lines.body.push_back({text, eol});
    if (section.end == text_.size() && textEndEol_ != Eol::None) {
        Line& last = lines.body.empty() ? lines.header : lines.body.back();
        if (last.eol == Eol::None) last.eol = textEndEol_;
    }
    section.lines = static_cast<std::uint32_t>(edited_.size());
    edited_.push_back(std::move(lines));
    return edited_.back();
}

bool ProfileDocument::hasName(const Section& section, std::string_view foldedName) const {
    // Folding keeps a name's length once its blanks are trimmed.
    if (trimBlanks(section.name).size() != foldedName.size()) return false;
    return foldName(section.name) == foldedName;
}

// The slot of the section sameName accepts among those with this hash, or the free slot where
// it would go.
template <typename SameName>
std::size_t ProfileDocument::probe(std::uint64_t hash, SameName&& sameName) const {
    const std::size_t mask = slots_.size() - 1;
    const auto tag = static_cast<std::uint32_t>(hash >> 32);
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        const Slot& slot = slots_[i];
        if (slot.section == 0) return i;
        if (slot.tag != tag) continue;
        const Section& s = sections_[slot.section - 1];
        if (s.hash == hash && sameName(s)) return i;
    }
}

std::size_t ProfileDocument::slotOf(std::uint64_t hash, std::string_view foldedName) const {
    return probe(hash, [&](const Section& s) { return hasName(s, foldedName); });
}

// Points the index at the section when no earlier section holds its name.
void ProfileDocument::addToIndex(std::size_t index) {
    if ((usedSlots_ + 1) * 2 > slots_.size()) {
        rebuildIndex(index + 1);
        return;
    }
    const Section& s = sections_[index];
    Slot& slot = slots_[slotOf(s.hash, foldName(s.name))];
    if (slot.section == 0) {
        ++usedSlots_;
    } else if (!sections_[slot.section - 1].removed) {
        return;
    }
    slot = {static_cast<std::uint32_t>(index + 1), static_cast<std::uint32_t>(s.hash >> 32)};
}

// Indexes the first count sections, in a table at least twice their number.
void ProfileDocument::rebuildIndex(std::size_t count) {
    std::size_t size = 16;
    while (size < 2 * (count + 1)) size *= 2;
    slots_.assign(size, Slot{0, 0});
    usedSlots_ = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const Section& s = sections_[i];
        if (s.removed) continue;
        // Names are folded only for a section whose hash matches an earlier one.
        Slot& slot = slots_[probe(s.hash, [&](const Section& earlier) {
            return hasName(earlier, foldName(s.name));
        })];
        if (slot.section != 0) continue;
        slot = {static_cast<std::uint32_t>(i + 1), static_cast<std::uint32_t>(s.hash >> 32)};
        ++usedSlots_;
    }
}

ProfileDocument::Section* ProfileDocument::findSection(std::string_view foldedName) {
    return const_cast<Section*>(std::as_const(*this).findSection(foldedName));
}

const ProfileDocument::Section* ProfileDocument::findSection(std::string_view foldedName) const {
    if (slots_.empty()) return nullptr;
    const std::uint32_t entry = slots_[slotOf(hashOf(foldedName), foldedName)].section;
    if (entry == 0) return nullptr;
    const Section& s = sections_[entry - 1];
    return s.removed ? nullptr : &s;
}

std::optional<std::string_view> ProfileDocument::read(std::string_view section,
                                                      std::string_view key) const {
    const Section* s = findSection(foldName(section));
    if (s == nullptr) return std::nullopt;
    const std::string wanted = foldName(key);
    std::string folded;
    auto matches = [&](std::string_view line) -> std::optional<std::string_view> {
        const std::size_t eq = keySeparator(line);
        if (eq == std::string_view::npos) return std::nullopt;
        const std::string_view name = line.substr(0, eq);
        if (trimBlanks(name).size() != wanted.size()) return std::nullopt;
        foldNameInto(name, folded);
        if (folded != wanted) return std::nullopt;
        return line.substr(eq + 1);
    };
    if (s->lines != kUntouched) {
        for (const Line& line : edited_[s->lines].body) {
            if (const auto value = matches(line.text)) return value;
        }
        return std::nullopt;
    }
    LineReader<Eol> reader(text_, s->begin);
    std::string_view text;
    Eol eol = Eol::None;
    std::size_t start = 0;
    reader.next(s->end, text, eol, start);  // the header
    while (reader.next(s->end, text, eol, start)) {
        if (const auto value = matches(text)) return value;
    }
    return std::nullopt;
}

bool ProfileDocument::hasSection(std::string_view section) const {
    return findSection(foldName(section)) != nullptr;
}

// Gives the document's last line a line end when it has none, before a line is added after it.
void ProfileDocument::terminateLastLine(Eol eol) {
    for (auto it = sections_.rbegin(); it != sections_.rend(); ++it) {
        if (it->removed) continue;
        if (it->lines != kUntouched) {
            Lines& lines = edited_[it->lines];
            Line& last = lines.body.empty() ? lines.header : lines.body.back();
            if (last.eol == Eol::None) setEol(last, eol);
            return;
        }
        // An untouched section's last line can lack its end only at the end of the text.
        if (it->end != text_.size()) return;
        break;
    }
    // The last line is the text's own: in the last untouched section, or the preamble when
    // the text has no header at all (before a header every line has its end).
    const bool inPreamble = std::all_of(sections_.begin(), sections_.end(),
                                        [](const Section& s) { return s.removed; });
    if (inPreamble && preambleEnd_ != text_.size()) return;
    if (text_.empty() || text_.back() == '\r' || text_.back() == '\n') return;
    if (textEndEol_ != Eol::None) return;
    textEndEol_ = eol;
    --eolCounts_[static_cast<std::size_t>(Eol::None)];
    ++eolCounts_[static_cast<std::size_t>(eol)];
}

void ProfileDocument::setEol(Line& line, Eol eol) {
    --eolCounts_[static_cast<std::size_t>(line.eol)];
    ++eolCounts_[static_cast<std::size_t>(eol)];
    line.eol = eol;
}

ProfileDocument::Eol ProfileDocument::dominantEol() const {
    Eol best = Eol::CrLf;
    for (const Eol e : {Eol::Lf, Eol::Cr}) {
        if (eolCounts_[static_cast<std::size_t>(e)] > eolCounts_[static_cast<std::size_t>(best)]) {
            best = e;
        }
    }
    return best;
}

bool ProfileDocument::write(std::string_view section, std::string_view key,
                            std::string_view value) {
    // The file stays UTF-8 whatever the caller passes: a malformed byte would make the next
    // read take the whole file for a legacy one.
    std::string repaired[3];
    for (auto [text, slot] : {std::pair{&section, 0}, {&key, 1}, {&value, 2}}) {
        if (!utf8::isValid(*text)) {
            repaired[slot] = text::repairUtf8(*text);
            *text = repaired[slot];
        }
    }
    const std::string_view sectionName = trimBlanks(section);
    const std::string_view keyName = trimBlanks(key);
    if (sectionName.find_first_of("\r\n") != std::string_view::npos) return false;
    if (keyName.find_first_of("=\r\n") != std::string_view::npos) return false;
    if (!keyName.empty() && (keyName.front() == '[' || keyName.front() == ';')) return false;

    std::string keyLine(keyName);
    keyLine += '=';
    const std::size_t valueStart = keyLine.size();
    keyLine += value;
    std::replace_if(
        keyLine.begin() + static_cast<std::ptrdiff_t>(valueStart), keyLine.end(),
        [](char c) { return c == '\r' || c == '\n'; }, ' ');
    const Eol eol = dominantEol();
    const std::string folded = foldName(sectionName);

    Section* found = findSection(folded);
    if (found == nullptr) {
        terminateLastLine(eol);
        const std::string_view header = own("[" + std::string(sectionName) + "]");
        Lines fresh{{header, eol}, {}};
        fresh.body.push_back({own(std::move(keyLine)), eol});
        eolCounts_[static_cast<std::size_t>(eol)] += 2;
        Section added{hashOf(folded), header.substr(1, sectionName.size()), text_.size(),
                      text_.size()};
        added.lines = static_cast<std::uint32_t>(edited_.size());
        edited_.push_back(std::move(fresh));
        sections_.push_back(added);
        addToIndex(sections_.size() - 1);
        return true;
    }
    Lines& s = linesOf(*found);

    // Replace the key's value in place, keeping the line up to its "=" as it was.
    const std::string wanted = foldName(keyName);
    std::ptrdiff_t lastKey = -1;
    std::ptrdiff_t lastNonBlank = -1;
    for (std::size_t i = 0; i < s.body.size(); ++i) {
        Line& line = s.body[i];
        const std::size_t eq = keySeparator(line.text);
        if (eq != std::string::npos) {
            if (foldName(line.text.substr(0, eq)) == wanted) {
                const std::string_view newValue = std::string_view(keyLine).substr(valueStart);
                if (line.text.substr(eq + 1) == newValue) return false;
                line.text = own(std::string(line.text.substr(0, eq + 1)) += newValue);
                return true;
            }
            lastKey = static_cast<std::ptrdiff_t>(i);
        }
        if (!isBlankLine(line.text)) lastNonBlank = static_cast<std::ptrdiff_t>(i);
    }

    // A new key goes after the section's last key (or last non-blank line), so the blank
    // lines that separate it from the next section stay after it.
    const std::ptrdiff_t after = lastKey >= 0 ? lastKey : lastNonBlank;
    Line& previous = after >= 0 ? s.body[static_cast<std::size_t>(after)] : s.header;
    if (previous.eol == Eol::None) setEol(previous, eol);
    s.body.insert(s.body.begin() + (after + 1), Line{own(std::move(keyLine)), eol});
    ++eolCounts_[static_cast<std::size_t>(eol)];
    return true;
}

bool ProfileDocument::deleteSection(std::string_view section) {
    const std::string folded = foldName(section);
    if (findSection(folded) == nullptr) return false;
    const std::uint64_t hash = hashOf(folded);
    for (Section& s : sections_) {
        if (s.removed || s.hash != hash || !hasName(s, folded)) continue;
        const Lines& lines = linesOf(s);
        --eolCounts_[static_cast<std::size_t>(lines.header.eol)];
        for (const Line& line : lines.body) --eolCounts_[static_cast<std::size_t>(line.eol)];
        s.removed = true;
    }
    return true;
}

bool ProfileDocument::deleteKey(std::string_view section, std::string_view key) {
    Section* found = findSection(foldName(section));
    if (found == nullptr || !read(section, key)) return false;
    Lines& s = linesOf(*found);
    const std::string wanted = foldName(key);
    const auto gone = std::remove_if(s.body.begin(), s.body.end(), [&](const Line& line) {
        const std::size_t eq = keySeparator(line.text);
        if (eq == std::string_view::npos || foldName(line.text.substr(0, eq)) != wanted)
            return false;
        --eolCounts_[static_cast<std::size_t>(line.eol)];
        return true;
    });
    s.body.erase(gone, s.body.end());
    return true;
}

// Calls sink with the document's bytes in order: runs of untouched text as one piece each,
// then every line and line end of an edited section.
template <typename Sink>
void ProfileDocument::forEachPiece(Sink&& sink) const {
    static constexpr std::string_view kEol[] = {"", "\r\n", "\n", "\r"};
    std::size_t runBegin = 0;
    std::size_t runEnd = preambleEnd_;
    auto flush = [&] {
        if (runBegin == runEnd) return;
        sink(text_.substr(runBegin, runEnd - runBegin));
        if (runEnd == text_.size()) sink(kEol[static_cast<std::size_t>(textEndEol_)]);
    };
    for (const Section& s : sections_) {
        if (s.removed) continue;
        if (s.lines == kUntouched) {
            if (s.begin != runEnd) {
                flush();
                runBegin = s.begin;
            }
            runEnd = s.end;
            continue;
        }
        flush();
        runBegin = runEnd = 0;
        const Lines& lines = edited_[s.lines];
        sink(lines.header.text);
        sink(kEol[static_cast<std::size_t>(lines.header.eol)]);
        for (const Line& line : lines.body) {
            sink(line.text);
            sink(kEol[static_cast<std::size_t>(line.eol)]);
        }
    }
    flush();
}

std::string ProfileDocument::serialise() const {
    std::size_t size = encoding_ == Encoding::Utf8WithBom ? kUtf8Bom.size() : 0;
    forEachPiece([&](std::string_view piece) { size += piece.size(); });
    std::string out;
    out.reserve(size);
    if (encoding_ == Encoding::Utf8WithBom) out += kUtf8Bom;
    forEachPiece([&](std::string_view piece) { out += piece; });
    return out;
}

}  // namespace tarvo
