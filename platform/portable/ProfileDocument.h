// An INI file held in memory the way the Windows private-profile functions
// see it: a nameless section for the lines before the first "[...]" header,
// then the sections in file order, each with its keys in file order.
//
// Reading a file keeps what those functions keep and drops the rest: blank
// lines vanish, names and values lose their surrounding blanks, a line
// without '=' is a key without a value, and written back every line ends
// with CR LF. Lookups are case-insensitive (ASCII) on blank-trimmed names;
// only the first section of a name is searched, and the first key of a name
// wins.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace platform::profile {

struct Key {
    std::string name;
    std::optional<std::string> value;  // none for a line without '='
};

struct Section {
    std::string name;
    std::vector<Key> keys;
};

class Document {
public:
    static Document parse(const std::string& bytes);
    std::string serialize() const;

    // The key, or null when the section or the key is missing.
    const Key* find(const char* section, const char* key) const;

    // Each returns whether the document changed (and so needs saving).
    bool set(const char* section, const char* key, const char* value);
    bool removeKey(const char* section, const char* key);
    bool removeSection(const char* section);

private:
    Document();

    void addLine(const std::string& rawLine);

    bool utf8Mark_ = false;
    std::vector<Section> sections_;  // sections_[0] is the nameless one
};

// The blank characters the profile functions trim: ASCII white space and the
// old end-of-file mark 0x1A.
bool isBlank(char c);
std::string trimmed(const std::string& text);
std::string trimmedLeft(const std::string& text);
std::string trimmedRight(const std::string& text);
bool equalsIgnoringCase(const std::string& a, const std::string& b);

}  // namespace platform::profile
