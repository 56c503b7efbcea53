#include "platform/DialogLink.h"

void CDialogLink::addLine(const std::string& line)
{
    invokeOnDialogThread([&] { onStatusLine(line); });
}

long CDialogLink::sendMessage(unsigned message, long wParam, long lParam)
{
    return deliverMessage(message, wParam, lParam);
}

long CDialogLink::deliverMessage(unsigned message, long wParam, long lParam)
{
    long result = 0;
    invokeOnDialogThread([&] { result = onMessage(message, wParam, lParam); });
    return result;
}

bool CDialogLink::chooseFile(int jobMode, std::string& path)
{
    bool confirmed = false;
    invokeOnDialogThread([&] { confirmed = onChooseFile(jobMode, path); });
    return confirmed;
}

void CDialogLink::messageBox(const std::string& text)
{
    invokeOnDialogThread([&] { onMessageBox(text); });
}

void CDialogLink::reportProgress(const CProgressReport& report)
{
    m_progress.post(report);
    onProgressReport(report);
}

bool CDialogLink::progressNow(CProgressReport& report) const
{
    if (!m_progress.latest(report))
        return false;
    report = report.at(CProgressReport::Clock::now());
    return true;
}

void CDialogLink::clearProgress()
{
    m_progress.clear();
}

void CDirectDialogLink::invokeOnDialogThread(const std::function<void()>& fn)
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    fn();
}
