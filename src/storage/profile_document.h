// The profile-file format in memory: a file parsed once into lines and sections, read and
// edited by section and key name, and written back with every untouched line as it was.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tarvo {

// Rules of the format:
// - A line whose first non-blank character is "[" and that holds a "]" later starts a section;
//   its name is the text between them. Other lines holding "=" are keys (name before the first
//   "=", value everything after it), unless they start with ";" (comments). Lines before the
//   first section and all other lines are kept but never read.
// - Section and key names are compared without the blanks (spaces, tabs) around them and
//   without regard to letter case (ASCII, Latin-1, Latin Extended-A, Greek and Cyrillic).
// - Duplicate names: reads and writes use the first section of a name, and in it the first key
//   of a name. deleteSection removes every section of the name, so a cleared record cannot
//   come back from a second copy further down the file.
// - Line ends: CRLF, LF and a lone CR each end a line, and every line keeps its own. Lines the
//   engine adds take the file's most frequent line end (CRLF on a tie and in a new file); a
//   last line without a line end gets one when a line is added after it.
// - Encodings: the text is UTF-8. A UTF-8 byte-order mark is kept. A UTF-16 file (by its
//   byte-order mark) and a file that is not valid UTF-8 (read as Windows-1252, the legacy
//   code page of older versions) are converted to UTF-8 when parsed, so a rewrite writes the
//   whole file as UTF-8 without a byte-order mark. A malformed byte in a written name or value
//   is taken as Windows-1252 too, so what the engine writes is always well-formed UTF-8.
// - A name that could not be read back from the file (a section name holding "]", a key name
//   holding "=" or starting with "[" or ";", either holding a line break) is not written.
class ProfileDocument {
  public:
    enum class Encoding { Utf8, Utf8WithBom, Utf16Le, Utf16Be, Windows1252 };

    ProfileDocument();
    explicit ProfileDocument(std::string_view fileBytes);
    ProfileDocument(ProfileDocument&&) noexcept;
    ProfileDocument& operator=(ProfileDocument&&) noexcept;
    ~ProfileDocument();

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
    static std::string foldName(std::string_view name);

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

}  // namespace tarvo
