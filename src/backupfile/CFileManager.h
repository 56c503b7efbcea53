#pragma once

#include "backupfile/CProperty.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The job's backup file with typed access. Keys and values are UTF-8/8-bit text; data blocks
// are stored as Base64. Before open() every operation works with no file.
//
// Nothing touches the disk until the first question (which loads the file) or the first
// writeData/flush (which saves it). The file is saved only when a setter has stored
// something since the last save, atomically (temporary file, fsync, rename), so a job that
// only reads leaves the file byte for byte as it was.
class CFileManager
{
public:
    CFileManager();
    // Saves what is still unsaved (best effort), unless the last save failed: call flush()
    // first to see the result; after a failed one nothing writes the file again.
    virtual ~CFileManager();

    void open(const std::string& fileName);
    const std::string& getFileName() const;

    bool setInt(const std::string& key, int32_t value);  // false with no file; does not write the file
    int32_t getInt(const std::string& key);               // 0 when missing
    float getFloat(const std::string& key);               // 0 when missing

    // Stores the Base64 text of n bytes under key, then saves the file.
    // False when the file did not reach the disk (getLastError() has the system's error number).
    bool writeData(const std::string& key, const uint8_t* bytes, size_t n);
    // Decodes the whole value of key, writing at most n bytes to destination; *decoded gets the
    // number of bytes written. False (destination untouched) when the key is missing.
    bool readData(const std::string& key, uint8_t* destination, size_t n, size_t* decoded = nullptr);
    // The number of bytes the value of key decodes to; false when the key is missing. stray
    // (when given) tells whether a lone character is left over (CBase64::strayCharacter).
    bool dataSize(const std::string& key, size_t& bytes, bool* stray = nullptr);

    // The value as stored; false when the key is missing.
    bool getText(const std::string& key, std::string& value);

    // Reads the file now, for an inspection that must tell an unreadable file from an
    // empty one; false when it cannot be read. Later questions use what was read.
    bool load();
    // Every key held, in enumeration order, and what loading skipped or replaced.
    std::vector<std::string> keys();
    std::vector<CProperty::LoadNote> loadNotes() const;

    bool containsKey(const std::string& key);
    bool containsKeys(const std::vector<std::string>& keys);

    // Saves the file when something was stored since the last save. False on a failed save.
    bool flush();
    int getLastError() const;  // errno of the last failed save, 0 when none

private:
    std::string m_fileName;
    std::unique_ptr<CProperty> m_property;
    int m_lastError = 0;
};

// The shared instance, created without a file on first use. Deleting it (the job does at its
// end) makes the next call create a fresh one; a deleted instance is never handed out again.
CFileManager* getFileManager();
