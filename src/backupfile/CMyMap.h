#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CNode;

// The unbalanced search tree behind the backup file. Keys compare as unsigned bytes.
// Enumeration is pre-order with the greater side first (root, keys after it, keys before it,
// recursively): it decides the line order of every backup file written, so keep it.
//
// Walks are iterative: a hand-made file with many keys in sorted order makes the tree a
// long chain, which must not exhaust the stack.
class CMyMap
{
public:
    static constexpr size_t MaxKeyLength = 254;

    CMyMap();
    virtual ~CMyMap();

    CMyMap(const CMyMap&) = delete;
    CMyMap& operator=(const CMyMap&) = delete;

    // Adds the pair or replaces the value of a present key; counts the call.
    // A key over MaxKeyLength bytes is refused: false, nothing stored, nothing counted.
    bool insert(const std::string& key, const std::string& value);
    bool contains(const std::string& key) const;
    // False (value untouched) when the key is missing.
    bool getValue(const std::string& key, std::string& value) const;
    // Appends every key in enumeration order; returns the list's size afterwards.
    size_t getKeys(std::vector<std::string>& keys) const;

    // Stored inserts so far; 0 means nothing was loaded or stored yet.
    uint32_t getCounter() const { return m_counter; }

private:
    const CNode* find(const std::string& key) const;
    void clear();

    std::unique_ptr<CNode> m_root;
    uint32_t m_counter = 0;
};
