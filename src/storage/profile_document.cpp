// The profile-file format in memory: parsing, lookup by folded names, edits and serialising.
#include "storage/profile_document.h"

#include <algorithm>
#include <utility>

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

// The section name of a header line, or nothing when the line is not a header.
std::optional<std::string_view> headerName(std::string_view line) {
    std::size_t i = 0;
    while (i < line.size() && isBlank(line[i])) ++i;
    if (i == line.size() || line[i] != '[') return std::nullopt;
    const std::size_t close = line.find(']', i + 1);
    if (close == std::string_view::npos) return std::nullopt;
    return line.substr(i + 1, close - i - 1);
}

// The position of the "=" of a key line, or npos for comments and lines without one.
std::size_t keySeparator(std::string_view line) {
    std::size_t i = 0;
    while (i < line.size() && isBlank(line[i])) ++i;
    if (i < line.size() && line[i] == ';') return std::string_view::npos;
    return line.find('=', i);
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

}  // namespace

std::string ProfileDocument::foldName(std::string_view name) {
    name = trimBlanks(name);
    std::string out;
    out.reserve(name.size());
    for (std::size_t i = 0; i < name.size();) {
        const char c = name[i];
        if (c >= 'A' && c <= 'Z') {
            out += static_cast<char>(c - 'A' + 'a');
            ++i;
            continue;
        }
        char32_t cp = 0;
        const std::size_t n = static_cast<unsigned char>(c) >= 0x80 ? decodeShort(name, i, cp) : 0;
        if (n == 0) {
            out += c;
            ++i;
            continue;
        }
        out += utf8::encode(foldCodePoint(cp));
        i += n;
    }
    return out;
}

ProfileDocument::ProfileDocument() = default;
ProfileDocument::ProfileDocument(ProfileDocument&&) noexcept = default;
ProfileDocument& ProfileDocument::operator=(ProfileDocument&&) noexcept = default;
ProfileDocument::~ProfileDocument() = default;

ProfileDocument::ProfileDocument(std::string_view bytes) {
    if (bytes.substr(0, 3) == kUtf8Bom) {
        encoding_ = Encoding::Utf8WithBom;
        parse(std::make_unique<std::string>(bytes.substr(3)));
    } else if (bytes.substr(0, 2) == "\xFF\xFE") {
        encoding_ = Encoding::Utf16Le;
        parse(std::make_unique<std::string>(text::utf16ToUtf8(bytes.substr(2), false)));
    } else if (bytes.substr(0, 2) == "\xFE\xFF") {
        encoding_ = Encoding::Utf16Be;
        parse(std::make_unique<std::string>(text::utf16ToUtf8(bytes.substr(2), true)));
    } else if (utf8::isValid(bytes)) {
        parse(std::make_unique<std::string>(bytes));
    } else {
        encoding_ = Encoding::Windows1252;
        parse(std::make_unique<std::string>(text::windows1252ToUtf8(bytes)));
    }
}

void ProfileDocument::parse(std::unique_ptr<std::string> source) {
    source_ = std::move(source);
    const std::string_view text = *source_;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = text.find_first_of("\r\n", pos);
        Line line;
        if (end == std::string_view::npos) {
            line = {text.substr(pos), Eol::None};
            pos = text.size();
        } else {
            line.text = text.substr(pos, end - pos);
            if (text[end] == '\n') {
                line.eol = Eol::Lf;
                pos = end + 1;
            } else if (end + 1 < text.size() && text[end + 1] == '\n') {
                line.eol = Eol::CrLf;
                pos = end + 2;
            } else {
                line.eol = Eol::Cr;
                pos = end + 1;
            }
        }
        addLine(line);
    }
}

std::string_view ProfileDocument::own(std::string text) {
    owned_.push_back(std::make_unique<std::string>(std::move(text)));
    return *owned_.back();
}

// Appends a parsed line to the document, starting a section at a header.
void ProfileDocument::addLine(Line line) {
    ++eolCounts_[static_cast<std::size_t>(line.eol)];
    if (const auto name = headerName(line.text)) {
        Section section{foldName(*name), line, {}};
        firstSection_.emplace(section.foldedName, sections_.size());
        sections_.push_back(std::move(section));
    } else if (sections_.empty()) {
        preamble_.push_back(line);
    } else {
        sections_.back().body.push_back(line);
    }
}

ProfileDocument::Section* ProfileDocument::findSection(const std::string& foldedName) {
    const auto it = firstSection_.find(foldedName);
    return it == firstSection_.end() ? nullptr : &sections_[it->second];
}

const ProfileDocument::Section* ProfileDocument::findSection(const std::string& foldedName) const {
    const auto it = firstSection_.find(foldedName);
    return it == firstSection_.end() ? nullptr : &sections_[it->second];
}

std::optional<std::string_view> ProfileDocument::read(std::string_view section,
                                                      std::string_view key) const {
    const Section* s = findSection(foldName(section));
    if (s == nullptr) return std::nullopt;
    const std::string wanted = foldName(key);
    for (const Line& line : s->body) {
        const std::size_t eq = keySeparator(line.text);
        if (eq == std::string_view::npos) continue;
        if (foldName(line.text.substr(0, eq)) == wanted) return line.text.substr(eq + 1);
    }
    return std::nullopt;
}

bool ProfileDocument::hasSection(std::string_view section) const {
    return findSection(foldName(section)) != nullptr;
}

ProfileDocument::Line* ProfileDocument::lastLine() {
    if (!sections_.empty()) {
        Section& s = sections_.back();
        return s.body.empty() ? &s.header : &s.body.back();
    }
    return preamble_.empty() ? nullptr : &preamble_.back();
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
    if (sectionName.find_first_of("]\r\n") != std::string_view::npos) return false;
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

    Section* s = findSection(folded);
    if (s == nullptr) {
        if (Line* last = lastLine(); last != nullptr && last->eol == Eol::None) setEol(*last, eol);
        Section fresh{folded, {own("[" + std::string(sectionName) + "]"), eol}, {}};
        fresh.body.push_back({own(std::move(keyLine)), eol});
        eolCounts_[static_cast<std::size_t>(eol)] += 2;
        firstSection_.emplace(folded, sections_.size());
        sections_.push_back(std::move(fresh));
        return true;
    }

    // Replace the key's value in place, keeping the line up to its "=" as it was.
    const std::string wanted = foldName(keyName);
    std::ptrdiff_t lastKey = -1;
    std::ptrdiff_t lastNonBlank = -1;
    for (std::size_t i = 0; i < s->body.size(); ++i) {
        Line& line = s->body[i];
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
    Line& previous = after >= 0 ? s->body[static_cast<std::size_t>(after)] : s->header;
    if (previous.eol == Eol::None) setEol(previous, eol);
    s->body.insert(s->body.begin() + (after + 1), Line{own(std::move(keyLine)), eol});
    ++eolCounts_[static_cast<std::size_t>(eol)];
    return true;
}

bool ProfileDocument::deleteSection(std::string_view section) {
    const std::string folded = foldName(section);
    if (findSection(folded) == nullptr) return false;
    const auto removed = std::remove_if(sections_.begin(), sections_.end(), [&](Section& s) {
        if (s.foldedName != folded) return false;
        --eolCounts_[static_cast<std::size_t>(s.header.eol)];
        for (const Line& line : s.body) --eolCounts_[static_cast<std::size_t>(line.eol)];
        return true;
    });
    sections_.erase(removed, sections_.end());
    rebuildIndex();
    return true;
}

void ProfileDocument::rebuildIndex() {
    firstSection_.clear();
    for (std::size_t i = 0; i < sections_.size(); ++i) {
        firstSection_.emplace(sections_[i].foldedName, i);
    }
}

std::string ProfileDocument::serialise() const {
    static constexpr std::string_view kEol[] = {"", "\r\n", "\n", "\r"};
    std::size_t size = encoding_ == Encoding::Utf8WithBom ? kUtf8Bom.size() : 0;
    auto measure = [&](const Line& line) {
        size += line.text.size() + kEol[static_cast<std::size_t>(line.eol)].size();
    };
    std::for_each(preamble_.begin(), preamble_.end(), measure);
    for (const Section& s : sections_) {
        measure(s.header);
        std::for_each(s.body.begin(), s.body.end(), measure);
    }
    std::string out;
    out.reserve(size);
    if (encoding_ == Encoding::Utf8WithBom) out += kUtf8Bom;
    auto append = [&](const Line& line) {
        out += line.text;
        out += kEol[static_cast<std::size_t>(line.eol)];
    };
    std::for_each(preamble_.begin(), preamble_.end(), append);
    for (const Section& s : sections_) {
        append(s.header);
        std::for_each(s.body.begin(), s.body.end(), append);
    }
    return out;
}

}  // namespace tarvo
