// The profile-file engine: single operations and locked edits of one file on disk.
#include "storage/ini_handler.h"

#include <algorithm>
#include <utility>

#include "platform/filesystem.h"
#include "storage/profile_document.h"

namespace tarvo {

struct ProfileEditState {
    std::unique_ptr<fs::FileLock> lock;
    ProfileDocument doc;
    // False when the file exists but could not be read: writing it would throw away content
    // that was never seen, so such an edit never commits.
    bool readable = true;
    bool changed = false;
    bool finished = false;
    bool result = true;
};

namespace {

void replaceLineBreaks(std::string& value) {
    std::replace_if(
        value.begin(), value.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
}

}  // namespace

ProfileEdit::ProfileEdit(std::string file)
    : file_(std::move(file)), state_(std::make_unique<ProfileEditState>()) {
    state_->lock = std::make_unique<fs::FileLock>(file_);
    std::string bytes;
    switch (fs::readFile(file_, bytes)) {
        case fs::Result::Ok:
            state_->doc = ProfileDocument::fromBytes(std::move(bytes));
            break;
        case fs::Result::NotFound:
            break;
        case fs::Result::Denied:
        case fs::Result::Failed:
            state_->readable = false;
            break;
    }
}

// An edit that ends without commit() writes nothing.
ProfileEdit::~ProfileEdit() = default;

std::string ProfileEdit::ReadProfileString(const std::string& section, const std::string& key,
                                           const std::string& defaultValue) const {
    const auto value = state_->doc.read(section, key);
    return value ? std::string(*value) : defaultValue;
}

void ProfileEdit::WriteProfileString(const std::string& section, const std::string& key,
                                     std::string& value) {
    replaceLineBreaks(value);
    if (state_->finished) return;
    if (state_->doc.write(section, key, value)) state_->changed = true;
}

void ProfileEdit::DeleteProfileSection(const std::string& section) {
    if (state_->finished) return;
    if (state_->doc.deleteSection(section)) state_->changed = true;
}

void ProfileEdit::DeleteProfileKey(const std::string& section, const std::string& key) {
    if (state_->finished) return;
    if (state_->doc.deleteKey(section, key)) state_->changed = true;
}

// The edit ends here: the lock is released, and later writes change nothing, so no write can
// reach the file without the lock.
bool ProfileEdit::commit() {
    if (state_->finished) return state_->result;
    state_->finished = true;
    if (state_->changed) {
        state_->result =
            state_->readable && fs::replaceFile(file_, state_->doc.serialise()) == fs::Result::Ok;
    }
    state_->lock.reset();
    return state_->result;
}

bool ProfileEdit::replaceWith(std::string_view bytes) {
    if (state_->finished) return state_->result;
    state_->finished = true;
    state_->result = state_->readable && fs::replaceFile(file_, bytes) == fs::Result::Ok;
    state_->lock.reset();
    return state_->result;
}

ProfileSnapshot::ProfileSnapshot(const std::string& file) {
    std::string bytes;
    doc_ = fs::readFile(file, bytes) == fs::Result::Ok
               ? std::make_unique<ProfileDocument>(ProfileDocument::fromBytes(std::move(bytes)))
               : std::make_unique<ProfileDocument>();
}

ProfileSnapshot::~ProfileSnapshot() = default;

std::string ProfileSnapshot::ReadProfileString(const std::string& section, const std::string& key,
                                               const std::string& defaultValue) const {
    const auto value = doc_->read(section, key);
    return value ? std::string(*value) : defaultValue;
}

namespace INIHandler {

std::string ReadProfileString(const std::string& file, const std::string& section,
                              const std::string& key, const std::string& defaultValue) {
    return ProfileSnapshot(file).ReadProfileString(section, key, defaultValue);
}

void WriteProfileString(const std::string& file, const std::string& section, const std::string& key,
                        std::string& value) {
    ProfileEdit edit(file);
    edit.WriteProfileString(section, key, value);
    edit.commit();
}

void DeleteProfileSection(const std::string& file, const std::string& section) {
    ProfileEdit edit(file);
    edit.DeleteProfileSection(section);
    edit.commit();
}

}  // namespace INIHandler

}  // namespace tarvo
