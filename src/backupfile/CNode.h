#pragma once

#include <memory>
#include <string>

// One pair of the key/value tree. Owns its key, its value and its two subtrees.
class CNode
{
public:
    CNode(const std::string& key, const std::string& value);
    virtual ~CNode();

    CNode(const CNode&) = delete;
    CNode& operator=(const CNode&) = delete;

    const std::string& getKey() const { return m_key; }
    const std::string& getValue() const { return m_value; }
    void setValue(const std::string& value) { m_value = value; }

    CNode* getGreater() const { return m_greater.get(); }
    CNode* getLesser() const { return m_lesser.get(); }
    // The child slot on one side, for insertion; releaseChildren hands both subtrees over
    // so that a deep tree can be freed without recursion.
    std::unique_ptr<CNode>& greaterSlot() { return m_greater; }
    std::unique_ptr<CNode>& lesserSlot() { return m_lesser; }

private:
    const std::string m_key;
    std::string m_value;
    std::unique_ptr<CNode> m_greater;  // keys that sort after m_key
    std::unique_ptr<CNode> m_lesser;   // keys that sort before m_key
};
