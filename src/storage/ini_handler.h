// The profile-file engine: the program's only reader and writer of MRU.INI and Settings.ini.
//
// Values come back exactly as they stand after the "=" (no length cut, no trimming, no quote
// stripping); CR and LF in a written value become blanks, in the caller's text. Section and
// key names are compared without surrounding blanks and without regard to letter case. A
// rewrite keeps every line it does not change; new files get CRLF line ends and no BOM. Files
// are written as UTF-8; a line that is not valid UTF-8 (written by an older version) is read
// in the system's ANSI code page, and the UTF-8 lines around it keep their bytes.
// Every write replaces the file atomically under a cross-process lock.
#pragma once

#include <memory>
#include <string>
#include <string_view>

// <windows.h> defines WriteProfileString as a macro (for the win.ini function), which would
// rename the engine's functions in a Windows source file. Include this header after it.
#ifdef WriteProfileString
#undef WriteProfileString
#endif

namespace tarvo {

class ProfileDocument;

// One locked read-modify-write of one file: the file is read and parsed once when the edit
// starts, every operation works on that content, and commit() writes the result in one
// atomic replace. The content that reaches the file is exactly what the same sequence of
// single WriteProfileString/DeleteProfileSection calls would have produced. commit() ends the
// edit and releases the lock; an edit destroyed without commit() writes nothing.
class ProfileEdit {
public:
    explicit ProfileEdit(std::string file);
    ~ProfileEdit();
    ProfileEdit(const ProfileEdit&) = delete;
    ProfileEdit& operator=(const ProfileEdit&) = delete;

    std::string ReadProfileString(const std::string& section, const std::string& key,
                                  const std::string& defaultValue) const;
    void WriteProfileString(const std::string& section, const std::string& key,
                            std::string& value);
    void DeleteProfileSection(const std::string& section);
    // Removes one key of a section, as the platform's write of a null value does.
    void DeleteProfileKey(const std::string& section, const std::string& key);
    // Writes the file when an operation changed it. False when the system refused the write;
    // the file is then as it was before the edit.
    bool commit();
    // Ends the edit like commit(), but puts bytes in place of the whole file (a list that is
    // rewritten whole), still under the edit's lock and never over a file that could not be
    // read. False when refused; the file is then as it was.
    bool replaceWith(std::string_view bytes);

private:
    std::string file_;
    std::unique_ptr<struct ProfileEditState> state_;
};

// A read-only view of one file, parsed once (no lock is held after construction).
class ProfileSnapshot {
public:
    explicit ProfileSnapshot(const std::string& file);
    ~ProfileSnapshot();
    ProfileSnapshot(const ProfileSnapshot&) = delete;
    ProfileSnapshot& operator=(const ProfileSnapshot&) = delete;
    std::string ReadProfileString(const std::string& section, const std::string& key,
                                  const std::string& defaultValue) const;

private:
    std::unique_ptr<ProfileDocument> doc_;
};

// The three single operations, each one read (and for writes one locked commit) of the file.
namespace INIHandler {
std::string ReadProfileString(const std::string& file, const std::string& section,
                              const std::string& key, const std::string& defaultValue);
// Replaces each CR and LF of value by a blank, in the caller's text, then writes it.
void WriteProfileString(const std::string& file, const std::string& section,
                        const std::string& key, std::string& value);
void DeleteProfileSection(const std::string& file, const std::string& section);
}  // namespace INIHandler

}  // namespace tarvo
