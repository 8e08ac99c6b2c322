// The profile-file format as the engine first implemented it: every line parsed into its own
// record up front. Kept as the reference the equivalence test holds the engine to, since its
// simple model makes it easy to trust.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "common/utf8.h"
#include "storage/profile_document.h"
#include "storage/text_encoding.h"

namespace tarvo::test {

class ReferenceDocument {
  public:
    enum class Encoding { Utf8, Utf8WithBom, Utf16Le, Utf16Be, Windows1252 };

    ReferenceDocument();
    explicit ReferenceDocument(std::string_view fileBytes);
    ReferenceDocument(ReferenceDocument&&) noexcept;
    ReferenceDocument& operator=(ReferenceDocument&&) noexcept;
    ~ReferenceDocument();

    // The value of key in section; valid until the document is next changed.
    std::optional<std::string_view> read(std::string_view section, std::string_view key) const;
    bool hasSection(std::string_view section) const;

    // Sets key in section, creating either when missing. CR and LF in value are written as
    // blanks. True when the content changed.
    bool write(std::string_view section, std::string_view key, std::string_view value);
    // Removes the section's header and lines up to the next section. True when it changed.
    bool deleteSection(std::string_view section);

    // The file's bytes: untouched lines exactly as parsed.
    std::string serialise() const;
    Encoding sourceEncoding() const { return encoding_; }

    // A name as the document compares it: blanks around it dropped, letter case folded.
    static std::string foldName(std::string_view name) { return ProfileDocument::foldName(name); }

  private:
    enum class Eol : unsigned char { None, CrLf, Lf, Cr };
    // A line's text points into the parsed file, or into owned_ once the engine has written it,
    // so a large file costs one buffer rather than one allocation per line.
    struct Line {
        std::string_view text;
        Eol eol;
    };
    struct Section {
        std::string foldedName;
        Line header;
        std::vector<Line> body;
    };

    void parse(std::unique_ptr<std::string> text);
    std::string_view own(std::string text);
    void addLine(Line line);
    Section* findSection(const std::string& foldedName);
    const Section* findSection(const std::string& foldedName) const;
    Line* lastLine();
    void setEol(Line& line, Eol eol);
    Eol dominantEol() const;
    void rebuildIndex();

    Encoding encoding_ = Encoding::Utf8;
    // Heap-held so that moving the document leaves every line's text where it was.
    std::unique_ptr<std::string> source_;
    std::vector<std::unique_ptr<std::string>> owned_;
    std::vector<Line> preamble_;
    std::vector<Section> sections_;
    std::unordered_map<std::string, std::size_t> firstSection_;
    std::array<std::size_t, 4> eolCounts_{};
};


namespace reference_detail {

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

inline bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

inline std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

inline bool isBlankLine(std::string_view s) {
    return trimBlanks(s).empty();
}

// The section name of a header line, or nothing when the line is not a header.
inline std::optional<std::string_view> headerName(std::string_view line) {
    std::size_t i = 0;
    while (i < line.size() && isBlank(line[i])) ++i;
    if (i == line.size() || line[i] != '[') return std::nullopt;
    const std::size_t close = line.rfind(']');
    if (close == std::string_view::npos || close <= i) return std::nullopt;
    return line.substr(i + 1, close - i - 1);
}

// The position of the "=" of a key line, or npos for comments and lines without one.
inline std::size_t keySeparator(std::string_view line) {
    std::size_t i = 0;
    while (i < line.size() && isBlank(line[i])) ++i;
    if (i < line.size() && line[i] == ';') return std::string_view::npos;
    return line.find('=', i);
}

}  // namespace reference_detail
using namespace reference_detail;

inline ReferenceDocument::ReferenceDocument() = default;
inline ReferenceDocument::ReferenceDocument(ReferenceDocument&&) noexcept = default;
inline ReferenceDocument& ReferenceDocument::operator=(ReferenceDocument&&) noexcept = default;
inline ReferenceDocument::~ReferenceDocument() = default;

inline ReferenceDocument::ReferenceDocument(std::string_view bytes) {
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
        // Line by line: a line that is not UTF-8 is Windows-1252, the others keep their bytes.
        encoding_ = Encoding::Windows1252;
        auto text = std::make_unique<std::string>();
        std::size_t pos = 0;
        while (pos < bytes.size()) {
            std::size_t end = bytes.find_first_of("\r\n", pos);
            if (end == std::string_view::npos) end = bytes.size();
            const std::string_view line = bytes.substr(pos, end - pos);
            *text += utf8::isValid(line) ? std::string(line) : text::windows1252ToUtf8(line);
            pos = end;
            while (pos < bytes.size() && (bytes[pos] == '\r' || bytes[pos] == '\n')) *text += bytes[pos++];
        }
        parse(std::move(text));
    }
}

inline void ReferenceDocument::parse(std::unique_ptr<std::string> source) {
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

inline std::string_view ReferenceDocument::own(std::string text) {
    owned_.push_back(std::make_unique<std::string>(std::move(text)));
    return *owned_.back();
}

// Appends a parsed line to the document, starting a section at a header.
inline void ReferenceDocument::addLine(Line line) {
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

inline ReferenceDocument::Section* ReferenceDocument::findSection(const std::string& foldedName) {
    const auto it = firstSection_.find(foldedName);
    return it == firstSection_.end() ? nullptr : &sections_[it->second];
}

inline const ReferenceDocument::Section* ReferenceDocument::findSection(const std::string& foldedName) const {
    const auto it = firstSection_.find(foldedName);
    return it == firstSection_.end() ? nullptr : &sections_[it->second];
}

inline std::optional<std::string_view> ReferenceDocument::read(std::string_view section,
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

inline bool ReferenceDocument::hasSection(std::string_view section) const {
    return findSection(foldName(section)) != nullptr;
}

inline ReferenceDocument::Line* ReferenceDocument::lastLine() {
    if (!sections_.empty()) {
        Section& s = sections_.back();
        return s.body.empty() ? &s.header : &s.body.back();
    }
    return preamble_.empty() ? nullptr : &preamble_.back();
}

inline void ReferenceDocument::setEol(Line& line, Eol eol) {
    --eolCounts_[static_cast<std::size_t>(line.eol)];
    ++eolCounts_[static_cast<std::size_t>(eol)];
    line.eol = eol;
}

inline ReferenceDocument::Eol ReferenceDocument::dominantEol() const {
    Eol best = Eol::CrLf;
    for (const Eol e : {Eol::Lf, Eol::Cr}) {
        if (eolCounts_[static_cast<std::size_t>(e)] > eolCounts_[static_cast<std::size_t>(best)]) {
            best = e;
        }
    }
    return best;
}

inline bool ReferenceDocument::write(std::string_view section, std::string_view key,
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

inline bool ReferenceDocument::deleteSection(std::string_view section) {
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

inline void ReferenceDocument::rebuildIndex() {
    firstSection_.clear();
    for (std::size_t i = 0; i < sections_.size(); ++i) {
        firstSection_.emplace(sections_[i].foldedName, i);
    }
}

inline std::string ReferenceDocument::serialise() const {
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

}  // namespace tarvo::test
