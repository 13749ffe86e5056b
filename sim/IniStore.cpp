#include "sim/IniStore.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <vector>

#include "support/Failure.h"

namespace fs = std::filesystem;

namespace sim {

namespace {

constexpr int kRenameAttempts = 5;

std::string Fold(const std::string& name) {
    std::string folded = name;
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return folded;
}

bool HasLineBreak(const std::string& text) {
    return text.find_first_of("\r\n") != std::string::npos;
}

struct Line {
    std::string Text;
    std::size_t Equals = std::string::npos;  // the first "=" of a key line
    bool IsKey() const { return Equals != std::string::npos; }
};

struct Section {
    std::string Name;
    std::string Header;  // the header line as found ("" for the lines before any header)
    std::vector<Line> Lines;
    std::unordered_map<std::string, std::size_t> Keys;  // folded key -> first line holding it

    void IndexKeys() {
        Keys.clear();
        for (std::size_t i = 0; i < Lines.size(); ++i) {
            if (Lines[i].IsKey()) Keys.emplace(Fold(Lines[i].Text.substr(0, Lines[i].Equals)), i);
        }
    }
};

// Classifies one line (without its line end) into the document being built.
void AddLine(std::string text, Section& preamble, std::vector<Section>& sections) {
    Section& current = sections.empty() ? preamble : sections.back();
    if (!text.empty() && text[0] == '[') {
        const std::size_t close = text.find(']');
        if (close != std::string::npos) {
            Section section;
            section.Name = text.substr(1, close - 1);
            section.Header = std::move(text);
            sections.push_back(std::move(section));
            return;
        }
    }
    Line line;
    if (!text.empty() && text[0] != ';') line.Equals = text.find('=');
    line.Text = std::move(text);
    current.Lines.push_back(std::move(line));
}

std::string UniqueSuffix() {
    static std::atomic<unsigned> counter{0};
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    std::string suffix = ".";
    suffix += std::to_string(ticks % 1000000007);
    suffix += '-';
    suffix += std::to_string(++counter);
    suffix += ".tmp";
    return suffix;
}

}  // namespace

struct IniStore::Document {
    bool Valid = false;  // the fields below describe the file as it was last seen
    bool Exists = false;
    bool Readable = true;
    std::uintmax_t Size = 0;
    fs::file_time_type Time{};
    bool EndsWithNewline = true;
    Section Preamble;
    std::vector<Section> Sections;
    std::unordered_map<std::string, std::size_t> Index;  // folded name -> first section

    void Reset() {
        Valid = Exists = false;
        Readable = EndsWithNewline = true;
        Size = 0;
        Time = {};
        Preamble = Section();
        Sections.clear();
        Index.clear();
    }

    void IndexSections() {
        Index.clear();
        for (std::size_t i = 0; i < Sections.size(); ++i) Index.emplace(Fold(Sections[i].Name), i);
    }

    void Parse(const std::string& content) {
        std::size_t start = 0;
        while (start < content.size()) {
            std::size_t end = content.find('\n', start);
            const bool terminated = end != std::string::npos;
            if (!terminated) end = content.size();
            std::size_t stop = end;
            if (stop > start && content[stop - 1] == '\r') --stop;
            AddLine(content.substr(start, stop - start), Preamble, Sections);
            EndsWithNewline = terminated;
            start = end + 1;
        }
        Preamble.IndexKeys();
        for (Section& section : Sections) section.IndexKeys();
        IndexSections();
    }

    std::string Serialize() const {
        std::string text;
        for (const Line& line : Preamble.Lines) AppendLine(text, line.Text);
        for (const Section& section : Sections) {
            AppendLine(text, section.Header.empty() ? "[" + section.Name + "]" : section.Header);
            for (const Line& line : section.Lines) AppendLine(text, line.Text);
        }
        return text;
    }

    // Reading takes one "\r" before each "\n" as part of the line end, so a line that ends
    // with "\r" itself is written with "\r\n" to read back the same.
    static void AppendLine(std::string& text, const std::string& line) {
        text += line;
        if (!line.empty() && line.back() == '\r') text += '\r';
        text += '\n';
    }
};

IniStore::IniStore() = default;
IniStore::~IniStore() = default;

void IniStore::Forget() {
    m_Documents.clear();
    m_LastDocument = nullptr;
}

void IniStore::CheckSectionName(const std::string& section) {
    if (section.empty())
        throw vq::Failure(vq::Codes::InvalidProcedureCall, "A settings section needs a name");
    if (section.find(']') != std::string::npos || HasLineBreak(section))
        throw vq::Failure(vq::Codes::InvalidProcedureCall,
                          "The section name \"" + section +
                              "\" cannot be stored: it contains \"]\" or a line break");
}

void IniStore::CheckKeyName(const std::string& key) {
    if (key.empty())
        throw vq::Failure(vq::Codes::InvalidProcedureCall, "A settings key needs a name");
    if (key.find('=') != std::string::npos || HasLineBreak(key))
        throw vq::Failure(
            vq::Codes::InvalidProcedureCall,
            "The key \"" + key + "\" cannot be stored: it contains \"=\" or a line break");
    if (key[0] == '[' || key[0] == ';')
        throw vq::Failure(
            vq::Codes::InvalidProcedureCall,
            "The key \"" + key +
                "\" cannot be stored: a line starting with \"[\" or \";\" is not a key");
}

void IniStore::CheckValue(const std::string& value) {
    if (HasLineBreak(value))
        throw vq::Failure(vq::Codes::InvalidProcedureCall,
                          "The value \"" + value + "\" cannot be stored: it contains a line break");
}

namespace {

void CheckFileName(const fs::path& file) {
    if (file.empty())
        throw vq::Failure(vq::Codes::InvalidProcedureCall, "No settings file name was given");
}

std::string CacheKey(const fs::path& file) {
    std::error_code ec;
    const fs::path full = fs::absolute(file, ec);
    return (ec ? file : full).lexically_normal().string();
}

// "" when the file may be replaced: the file, if present, is a regular file that its owner
// may write; when it is not present, its folder exists. Otherwise why not.
std::string WriteProblem(const fs::path& file) {
    std::error_code ec;
    const fs::file_status status = fs::status(file, ec);
    if (status.type() == fs::file_type::not_found) {
        const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
        if (fs::is_directory(folder, ec)) return "";
        return "the folder " + folder.string() + " does not exist";
    }
    if (ec) return file.string() + " cannot be reached: " + ec.message();
    if (status.type() == fs::file_type::directory) return file.string() + " is a folder";
    if (status.type() != fs::file_type::regular) return file.string() + " is not a regular file";
    if ((status.permissions() & fs::perms::owner_write) == fs::perms::none)
        return file.string() + " is read-only";
    return "";
}

// The file's bytes; false when it cannot be opened or a read fails. (A stream reports a
// failed read as the end of the file, so this reads through the C library.)
bool ReadWhole(const fs::path& file, std::string& content) {
#ifdef _WIN32
    std::FILE* in = _wfopen(file.c_str(), L"rb");
#else
    std::FILE* in = std::fopen(file.c_str(), "rb");
#endif
    if (in == nullptr) return false;
    char buffer[16384];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, in)) > 0) content.append(buffer, got);
    const bool complete = std::ferror(in) == 0;
    std::fclose(in);
    return complete;
}

[[noreturn]] void CannotRead(const fs::path& file, const std::string& why) {
    throw vq::Failure(vq::Codes::PathFileAccess,
                      "The settings file " + file.string() + " cannot be read: " + why);
}

}  // namespace

IniStore::Document& IniStore::Load(const fs::path& file) {
    if (!m_LastDocument || file.native() != m_LastPath) {  // the core uses one file at a time
        std::unique_ptr<Document>& slot = m_Documents[CacheKey(file)];
        if (!slot) slot = std::make_unique<Document>();
        m_LastPath = file.native();
        m_LastDocument = slot.get();
    }
    Document& doc = *m_LastDocument;

    std::error_code sizeError, timeError;
    const std::uintmax_t size = fs::file_size(file, sizeError);
    const fs::file_time_type time = fs::last_write_time(file, timeError);
    if (sizeError || timeError) {  // missing (or not a regular file): reads as empty
        if (!(doc.Valid && !doc.Exists)) {
            doc.Reset();
            doc.Valid = true;
        }
        return doc;
    }
    if (doc.Valid && doc.Exists && doc.Size == size && doc.Time == time) return doc;

    doc.Reset();
    doc.Exists = true;
    doc.Size = size;
    doc.Time = time;
    std::string content;
    doc.Readable = ReadWhole(file, content);
    if (doc.Readable) doc.Parse(content);
    doc.Valid = true;
    return doc;
}

std::string IniStore::Read(const fs::path& file, const std::string& section, const std::string& key,
                           const std::string& defaultValue) {
    CheckFileName(file);
    CheckSectionName(section);
    CheckKeyName(key);
    Document& doc = Load(file);
    if (!doc.Exists) {
        std::error_code ec;
        if (fs::is_directory(file, ec)) CannotRead(file, "it is a folder");
    }
    if (!doc.Readable) CannotRead(file, "reading it failed");
    const auto found = doc.Index.find(Fold(section));
    if (found == doc.Index.end()) return defaultValue;
    const Section& s = doc.Sections[found->second];
    const auto entry = s.Keys.find(Fold(key));
    if (entry == s.Keys.end()) return defaultValue;
    const Line& line = s.Lines[entry->second];
    return line.Text.substr(line.Equals + 1);
}

bool IniStore::Write(const fs::path& file, const std::string& section, const std::string& key,
                     const std::string& value) {
    CheckFileName(file);
    CheckSectionName(section);
    CheckKeyName(key);
    CheckValue(value);
    m_LastWrite = WriteKind::None;
    m_LastProblem.clear();
    Document& doc = Load(file);
    if (!Writable(file, doc)) return false;

    Line added{key + "=" + value, key.size()};
    const std::string lineEnd = doc.EndsWithNewline ? "" : "\n";
    const auto found = doc.Index.find(Fold(section));
    if (found == doc.Index.end()) {
        Section s;
        s.Name = section;
        s.Header = "[" + section + "]";
        s.Lines.push_back(added);
        s.IndexKeys();
        doc.Sections.push_back(std::move(s));
        doc.Index.emplace(Fold(section), doc.Sections.size() - 1);
        if (!doc.Exists) return Rewrite(file, doc);
        return Append(file, doc, lineEnd + "[" + section + "]\n" + added.Text + "\n");
    }

    Section& s = doc.Sections[found->second];
    const auto entry = s.Keys.find(Fold(key));
    if (entry != s.Keys.end()) {
        Line& line = s.Lines[entry->second];
        if (line.Text.compare(line.Equals + 1, std::string::npos, value) == 0) {
            m_LastWrite = WriteKind::Unchanged;
            return true;
        }
        line.Text.replace(line.Equals + 1, std::string::npos, value);
        return Rewrite(file, doc);
    }
    if (found->second + 1 == doc.Sections.size()) {
        s.Lines.push_back(added);
        s.Keys.emplace(Fold(key), s.Lines.size() - 1);
        return Append(file, doc, lineEnd + added.Text + "\n");
    }
    // A new key in an earlier section goes after the section's last key.
    std::size_t at = 0;
    for (std::size_t i = 0; i < s.Lines.size(); ++i) {
        if (s.Lines[i].IsKey()) at = i + 1;
    }
    s.Lines.insert(s.Lines.begin() + static_cast<std::ptrdiff_t>(at), added);
    s.IndexKeys();
    return Rewrite(file, doc);
}

bool IniStore::ClearSection(const fs::path& file, const std::string& section) {
    CheckFileName(file);
    CheckSectionName(section);
    m_LastWrite = WriteKind::None;
    m_LastProblem.clear();
    Document& doc = Load(file);
    const std::string folded = Fold(section);
    if (doc.Index.find(folded) == doc.Index.end()) {
        m_LastWrite = WriteKind::Unchanged;
        return true;
    }
    if (!Writable(file, doc)) return false;
    std::erase_if(doc.Sections, [&](const Section& s) { return Fold(s.Name) == folded; });
    doc.IndexSections();
    return Rewrite(file, doc);
}

bool IniStore::Writable(const fs::path& file, const Document& doc) {
    m_LastProblem = doc.Readable ? WriteProblem(file) : file.string() + " cannot be read";
    return m_LastProblem.empty();
}

void IniStore::Fault(const std::string& point) {
    if (m_FaultHook) m_FaultHook(point);
}

namespace {

// Records the file's size and time as the document's; false when the file cannot be seen.
template <class Doc>
bool TakeSignature(const fs::path& file, Doc& doc) {
    std::error_code sizeError, timeError;
    doc.Size = fs::file_size(file, sizeError);
    doc.Time = fs::last_write_time(file, timeError);
    return !sizeError && !timeError;
}

}  // namespace

bool IniStore::Rewrite(const fs::path& file, Document& doc) {
    doc.Valid = false;  // until the file holds what the document says
    const std::string text = doc.Serialize();
    const fs::path temp = fs::path(file).concat(UniqueSuffix());
    std::error_code ec;
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (out) out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.close();
        if (!out) {
            m_LastProblem = "the temporary file " + temp.string() + " could not be written";
            fs::remove(temp, ec);
            return false;
        }
    }
    Fault("rewrite-before-rename");
    // On Windows libstdc++ renames with MoveFileExW(MOVEFILE_REPLACE_EXISTING), so an
    // existing file is replaced there as it is on POSIX systems. It fails (access denied)
    // while another program has the file open, as virus scanners do for a moment: retry.
    for (int attempt = 1;; ++attempt) {
        fs::rename(temp, file, ec);
        if (!ec || attempt == kRenameAttempts) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (ec) {
        m_LastProblem = file.string() + " could not be replaced: " + ec.message();
        fs::remove(temp, ec);
        return false;
    }
    doc.Exists = true;
    doc.EndsWithNewline = true;
    doc.Valid = TakeSignature(file, doc);
    m_LastWrite = WriteKind::Rewrite;
    return true;
}

bool IniStore::Append(const fs::path& file, Document& doc, const std::string& text) {
    doc.Valid = false;
    Fault("append-before-write");
    const std::uintmax_t oldSize = doc.Size;
    bool written = false;
    {
        std::ofstream out(file, std::ios::binary | std::ios::app);
        if (out) {
            out.write(text.data(), static_cast<std::streamsize>(text.size()));
            out.close();
            written = !out.fail();
        }
    }
    std::error_code ec;
    if (!written) {
        m_LastProblem = file.string() + " could not be extended";
        // Never leave part of a line behind.
        if (fs::file_size(file, ec) != oldSize && !ec) fs::resize_file(file, oldSize, ec);
        return false;
    }
    doc.EndsWithNewline = true;
    // When the file grew by more than this line, another writer was at work: read it again.
    doc.Valid = TakeSignature(file, doc) && doc.Size == oldSize + text.size();
    m_LastWrite = WriteKind::Append;
    return true;
}

}  // namespace sim
