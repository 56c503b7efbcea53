#pragma once

#include "platform/DialogLink.h"

#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace testsupport {

// A loopback address of this test program's own: 127.<NEXO_TEST_NET>.<hi>.<lo>.
// The index comes from CMake (fixed per test program), n from the test itself.
std::string loopbackAddress(int n);

// Sets the process-wide time scale for one test and puts it back afterwards.
class ScopedTimeScale
{
public:
    explicit ScopedTimeScale(double scale);
    ~ScopedTimeScale();

private:
    double m_old;
};

// The dialog thread of a test: records every request and answers from its fields.
// Attaches itself to the status sink on construction and detaches on destruction.
class FakeDialog : public CDirectDialogLink
{
public:
    FakeDialog();
    ~FakeDialog() override;

    std::vector<std::string> lines() const;
    std::vector<unsigned> messages() const;
    std::vector<std::string> boxes() const;
    void clear();

    // Handlers for the synchronous messages; the default answers 1 and does nothing else.
    std::function<long(unsigned)> onMessageHandler;
    // File choice: the path to answer, or an empty path for a cancelled dialog.
    std::string filePath;

protected:
    void onStatusLine(const std::string& line) override;
    long onMessage(unsigned message, long wParam, long lParam) override;
    bool onChooseFile(int jobMode, std::string& path) override;
    void onMessageBox(const std::string& text) override;

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_lines;
    std::vector<unsigned> m_messages;
    std::vector<std::string> m_boxes;
};

}  // namespace testsupport
