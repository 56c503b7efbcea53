#include "backupfile/CMyMap.h"

#include "backupfile/CNode.h"

CMyMap::CMyMap() = default;

CMyMap::~CMyMap()
{
    clear();
}

// Every node was placed by the ordered descent of insert(), so an ordered search finds
// the one node that holds the key.
const CNode* CMyMap::find(const std::string& key) const
{
    const CNode* node = m_root.get();
    while (node) {
        const int c = key.compare(node->getKey());  // char_traits<char>: unsigned bytes
        if (c == 0)
            return node;
        node = c < 0 ? node->getLesser() : node->getGreater();
    }
    return nullptr;
}

bool CMyMap::insert(const std::string& key, const std::string& value)
{
    if (key.size() > MaxKeyLength)
        return false;
    std::unique_ptr<CNode>* slot = &m_root;
    while (*slot) {
        CNode* node = slot->get();
        const int c = key.compare(node->getKey());
        if (c == 0) {
            node->setValue(value);
            ++m_counter;
            return true;
        }
        slot = c < 0 ? &node->lesserSlot() : &node->greaterSlot();
    }
    *slot = std::make_unique<CNode>(key, value);
    ++m_counter;
    return true;
}

bool CMyMap::contains(const std::string& key) const
{
    return find(key) != nullptr;
}

bool CMyMap::getValue(const std::string& key, std::string& value) const
{
    const CNode* node = find(key);
    if (!node)
        return false;
    value = node->getValue();
    return true;
}

size_t CMyMap::getKeys(std::vector<std::string>& keys) const
{
    std::vector<const CNode*> pending;
    if (m_root)
        pending.push_back(m_root.get());
    while (!pending.empty()) {
        const CNode* node = pending.back();
        pending.pop_back();
        keys.push_back(node->getKey());
        // Lesser pushed first so that the greater subtree comes out first.
        if (node->getLesser())
            pending.push_back(node->getLesser());
        if (node->getGreater())
            pending.push_back(node->getGreater());
    }
    return keys.size();
}

void CMyMap::clear()
{
    // Detach children before a node dies so no destructor recurses down a long chain.
    std::vector<std::unique_ptr<CNode>> pending;
    if (m_root)
        pending.push_back(std::move(m_root));
    while (!pending.empty()) {
        std::unique_ptr<CNode> node = std::move(pending.back());
        pending.pop_back();
        if (node->lesserSlot())
            pending.push_back(std::move(node->lesserSlot()));
        if (node->greaterSlot())
            pending.push_back(std::move(node->greaterSlot()));
    }
}
