#pragma once

#include <mutex>

// The process-wide instance behind an accessor: created on first use, and forgotten when it is
// deleted (its destructor calls release), so a deleted instance is never handed out again.
template <typename T>
class CSharedInstance
{
public:
    T* get()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_instance)
            m_instance = new T;
        return m_instance;
    }

    void release(const T* instance)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_instance == instance)
            m_instance = nullptr;
    }

private:
    std::mutex m_mutex;
    T* m_instance = nullptr;
};
