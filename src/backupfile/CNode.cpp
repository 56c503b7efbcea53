#include "backupfile/CNode.h"

CNode::CNode(const std::string& key, const std::string& value) : m_key(key), m_value(value) {}

CNode::~CNode() = default;
