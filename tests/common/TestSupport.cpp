#include "TestSupport.h"

#include "job/CMessage.h"
#include "platform/TimeScale.h"

#include <cstdlib>

namespace testsupport {

std::string loopbackAddress(int n)
{
    const char* env = std::getenv("NEXO_TEST_NET");
    int index = env ? std::atoi(env) : 200;
    if (index < 1 || index > 254)
        index = 200;
    return "127." + std::to_string(index) + "." + std::to_string(n / 250) + "." + std::to_string(n % 250 + 1);
}

ScopedTimeScale::ScopedTimeScale(double scale) : m_old(timeScale())
{
    setTimeScale(scale);
}

ScopedTimeScale::~ScopedTimeScale()
{
    setTimeScale(m_old);
}

FakeDialog::FakeDialog()
{
    CMessage::getInstance()->setListBox(this);
}

FakeDialog::~FakeDialog()
{
    CMessage::getInstance()->setListBox(nullptr);
}

std::vector<std::string> FakeDialog::lines() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lines;
}

std::vector<unsigned> FakeDialog::messages() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_messages;
}

std::vector<std::string> FakeDialog::boxes() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_boxes;
}

void FakeDialog::clear()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_lines.clear();
    m_messages.clear();
    m_boxes.clear();
}

void FakeDialog::onStatusLine(const std::string& line)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_lines.push_back(line);
}

long FakeDialog::onMessage(unsigned message, long, long)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_messages.push_back(message);
    }
    return onMessageHandler ? onMessageHandler(message) : 1;
}

bool FakeDialog::onChooseFile(int, std::string& path)
{
    if (filePath.empty())
        return false;
    path = filePath;
    return true;
}

void FakeDialog::onMessageBox(const std::string& text)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_boxes.push_back(text);
}

}  // namespace testsupport
