#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

class CMyMap;

// One backup file on disk and the pairs it holds: lines "key=value" ending in CR LF.
//
// The file is read once, at the first question asked while nothing is stored yet; a job that
// starts by storing never reads the old file. It is written only when a setter stored
// something since the last save, atomically: a temporary file in the target's folder,
// fsync, rename over the target (through a symbolic link, keeping the target's mode).
class CProperty
{
public:
    // A line that loading did not store, or stored only for a later line to replace it.
    struct LoadNote {
        enum Kind { Blank, NoEquals, EmptyKey, EmptyValue, KeyTooLong, Replaced, ByteOrderMark };
        Kind kind;
        size_t line;            // 1-based
        std::string key;        // KeyTooLong, EmptyValue, Replaced
        size_t laterLine = 0;   // Replaced: the line whose value wins
    };

    explicit CProperty(const std::string& fileName);
    // flush(), best effort, unless the last save failed: that failure was answered to a
    // caller, and the file is not written again where nobody can report the outcome.
    virtual ~CProperty();

    CProperty(const CProperty&) = delete;
    CProperty& operator=(const CProperty&) = delete;

    const std::string& getFileName() const { return m_fileName; }

    // Reads the file into the tree; false when it cannot be read (the tree stays as it was).
    // A leading UTF-8 byte order mark (an editor's) is skipped and noted.
    bool load();
    // Writes every pair now, in the tree's enumeration order. False on failure
    // (getLastError() has errno); the previous file is then left as it was.
    bool save();
    // Saves when something was stored since the last save; true when nothing needed saving.
    bool flush();

    // Whether a save of fileName could replace (or create) it: 0, or the errno the save would
    // fail with. An existing target must be a regular file that may be written, and its folder
    // must take the temporary file. resolved gets the file a save writes (links followed).
    static int checkSaveTarget(const std::string& fileName, std::string* resolved = nullptr);

    // False (nothing stored) for a key the tree refuses.
    bool setValue(const std::string& key, const std::string& value);
    bool getValue(const std::string& key, std::string& value);
    bool contains(const std::string& key);

    // What the last load() skipped or replaced, in line order.
    const std::vector<LoadNote>& loadNotes() const { return m_loadNotes; }
    // Every key, in the tree's enumeration order (loading on demand like the getters).
    std::vector<std::string> keys();

    bool isDirty() const { return m_dirty; }
    int getLastError() const { return m_lastError; }

private:
    void loadOnDemand();

    std::string m_fileName;
    std::unique_ptr<CMyMap> m_map;
    std::vector<LoadNote> m_loadNotes;
    bool m_dirty = false;
    bool m_saveFailed = false;  // the last save failed
    int m_lastError = 0;
};
