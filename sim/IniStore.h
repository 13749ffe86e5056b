#pragma once
// Settings files in the INI layout, as the host product's shared service keeps them:
//
//   [Section]
//   Key=Value
//
// Sections and keys are found without regard to ASCII letter case; the first occurrence of a
// section or key counts. A value is everything after the first "=" of its line, read back
// exactly as written. Lines the store does not understand (comments, blank lines, anything
// without "=") are kept as they are.
//
// Every write leaves the file whole if the process dies at any point: a file is rewritten
// through a temporary file in the same folder that is then renamed over the original, and the
// common write - a new key in the section that ends the file, or a new section - is one
// complete line appended with a single write (a failed append is cut back). Files are written
// with "\n" line ends; "\r\n" files are read too.
//
// Each file's parsed form is cached and checked against the file's size and modification time
// on every call, so changes made by other writers are noticed; reads are O(1) after that.
// (A change that keeps both the size and the modification time goes unnoticed.)

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>

namespace sim {

class IniStore {
  public:
    IniStore();
    ~IniStore();
    IniStore(const IniStore&) = delete;
    IniStore& operator=(const IniStore&) = delete;

    /// The value under section and key, or defaultValue when the file, section or key is
    /// missing. Throws vq::Failure (path/file access) when the file is there but cannot be
    /// read, or is a folder, and for names that no file can hold.
    std::string Read(const std::filesystem::path& file, const std::string& section,
                     const std::string& key, const std::string& defaultValue);

    /// Stores the value, keeping every other section and key. False when the file cannot be
    /// written (missing folder, file or folder not writable). Throws vq::Failure for names or
    /// values that could not be read back as given.
    bool Write(const std::filesystem::path& file, const std::string& section,
               const std::string& key, const std::string& value);

    /// Removes the section with every key in it. False when the file cannot be written; true
    /// when there was nothing to remove.
    bool ClearSection(const std::filesystem::path& file, const std::string& section);

    /// Why the last Write or ClearSection answered false, naming the file: "the folder ... does
    /// not exist", "... is a folder", "... is read-only", ...; "" after one that succeeded.
    const std::string& LastProblem() const { return m_LastProblem; }

    /// Throws vq::Failure when the text cannot be stored and read back as a section name,
    /// a key or a value.
    static void CheckSectionName(const std::string& section);
    static void CheckKeyName(const std::string& key);
    static void CheckValue(const std::string& value);

    /// How the last write reached the disk, for tests and measurements.
    enum class WriteKind { None, Unchanged, Append, Rewrite };
    WriteKind LastWrite() const { return m_LastWrite; }

    /// Test hook: called with "rewrite-before-rename" once the temporary file is complete and
    /// with "append-before-write" before an append. A hook that throws simulates the process
    /// dying at that point: the store does no clean-up, the exception reaches the caller.
    void SetFaultHook(std::function<void(const std::string& point)> hook) {
        m_FaultHook = std::move(hook);
    }

    /// Forgets every cached file.
    void Forget();

  private:
    struct Document;
    Document& Load(const std::filesystem::path& file);
    bool Writable(const std::filesystem::path& file, const Document& doc);
    bool Rewrite(const std::filesystem::path& file, Document& doc);
    bool Append(const std::filesystem::path& file, Document& doc, const std::string& text);
    void Fault(const std::string& point);

    std::map<std::string, std::unique_ptr<Document>> m_Documents;
    std::filesystem::path::string_type m_LastPath;
    Document* m_LastDocument = nullptr;
    std::function<void(const std::string&)> m_FaultHook;
    WriteKind m_LastWrite = WriteKind::None;
    std::string m_LastProblem;
};

}  // namespace sim
