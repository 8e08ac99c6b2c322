// The profile-file format in memory: a file indexed once by its section headers, read and
// edited by section and key name, and written back with every untouched line as it was.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
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
//   byte-order mark) is converted to UTF-8 when parsed. In a file that is not valid UTF-8,
//   each line that is not (written by an older version or another program in the system's
//   ANSI code page: see legacyLinesToUtf8) is converted, and every UTF-8 line keeps its bytes.
//   A rewrite of a converted file writes it as UTF-8 without a byte-order mark. A malformed byte in
//   a written name or value is taken as Windows-1252 on every system (see repairUtf8), so what
//   the engine writes is always well-formed UTF-8.
// - A name that could not be read back from the file (a section name holding "]", a key name
//   holding "=" or starting with "[" or ";", either holding a line break) is not written.
class ProfileDocument {
  public:
      enum class Encoding { Utf8, Utf8WithBom, Utf16Le, Utf16Be, Legacy };

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
      // Removes every line of key in section (the first section of that name), so that no
      // later copy of the key comes back in its place. True when it changed.
      bool deleteKey(std::string_view section, std::string_view key);

      // The file's bytes: untouched lines exactly as parsed.
      std::string serialise() const;
      Encoding sourceEncoding() const { return encoding_; }

      // A name as the document compares it: blanks around it dropped, letter case folded.
      static std::string foldName(std::string_view name);
      // foldName into out (replacing its content), so that a loop can reuse one buffer.
      static void foldNameInto(std::string_view name, std::string& out);
      // The text with its letter case folded as names are compared, blanks and all kept.
      static std::string foldCase(std::string_view text);

      // The document of a file whose bytes the caller no longer needs: no copy of a UTF-8 file.
      static ProfileDocument fromBytes(std::string&& fileBytes);

  private:
    enum class Eol : unsigned char { None, CrLf, Lf, Cr };
    // A line's text points into the file's text, or into owned_ once the engine has written it.
    struct Line {
        std::string_view text;
        Eol eol;
    };
    // The lines of a section the engine has changed (or is about to change).
    struct Lines {
        Line header;
        std::vector<Line> body;
    };
    static constexpr std::uint32_t kUntouched = 0xFFFFFFFFu;
    // A section in file order. An untouched one is the byte range [begin, end) of text_, from
    // its header line to the next header (or the end of the text), and is split into lines only
    // when it is edited; sections the engine adds have only lines.
    struct Section {
        std::uint64_t hash;     // of the folded name
        std::string_view name;  // as written between the brackets
        std::size_t begin;
        std::size_t end;
        std::uint32_t lines = kUntouched;  // index into edited_
        bool removed = false;
    };

    void load(std::string_view bytes, std::string* adoptable);
    void scan();
    std::string_view own(std::string text);
    Lines& linesOf(Section& section);
    Section* findSection(std::string_view foldedName);
    const Section* findSection(std::string_view foldedName) const;
    template <typename SameName>
    std::size_t probe(std::uint64_t hash, SameName&& sameName) const;
    std::size_t slotOf(std::uint64_t hash, std::string_view foldedName) const;
    bool hasName(const Section& section, std::string_view foldedName) const;
    void addToIndex(std::size_t index);
    void rebuildIndex(std::size_t slotCount);
    void terminateLastLine(Eol eol);
    void setEol(Line& line, Eol eol);
    Eol dominantEol() const;
    template <typename Sink>
    void forEachPiece(Sink&& sink) const;

    Encoding encoding_ = Encoding::Utf8;
    // Heap-held so that moving the document leaves every view into it where it was.
    std::unique_ptr<std::string> source_;
    std::string_view text_;        // source_ without a byte-order mark
    std::size_t preambleEnd_ = 0;  // lines before the first header: [0, preambleEnd_)
    // The line end given to the text's last line when a line was added after it.
    Eol textEndEol_ = Eol::None;
    std::vector<std::unique_ptr<std::string>> owned_;
    std::vector<Section> sections_;
    std::vector<Lines> edited_;
    // Open addressing from folded name to the first section of that name. Slots are never
    // freed; a slot whose sections were all removed is reused when the name comes back.
    struct Slot {
        std::uint32_t section;  // index + 1, 0 for a free slot
        std::uint32_t tag;      // the hash's upper half, so probing rarely visits sections_
    };
    std::vector<Slot> slots_;
    std::size_t usedSlots_ = 0;
    std::array<std::size_t, 4> eolCounts_{};
};

}  // namespace tarvo
