#include "cli/CTerminalDialog.h"

#include "bus/CKandoProtocol.h"
#include "cli/Terminal.h"
#include "job/CMessage.h"
#include "job/CProtocol.h"
#include "platform/Encoding.h"

#include <algorithm>
#include <istream>
#include <ostream>

namespace {

constexpr int kPasswordAttempts = 3;
// The width of a terminal that does not tell its own.
constexpr int kDefaultColumns = 80;

void writeLine(std::ostream& stream, const std::string& text)
{
    stream << text << '\n' << std::flush;
}

}  // namespace

bool readHiddenLine(const CliIo& io, const std::string& prompt, std::string& line)
{
    // Echo goes off before the prompt shows, so nothing typed after the prompt is echoed.
    io.terminal.echoOff();
    io.err << prompt << std::flush;
    const bool ok = io.terminal.readLine(io.in, line);
    io.terminal.echoOn();
    if (!ok)
        io.err << '\n' << std::flush;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return ok;
}

CTerminalDialog::CTerminalDialog(CProtocol* job, std::string file, const CliIo& io)
    : m_job(job), m_file(std::move(file)), m_io(io), m_progressLine(io.err, io.terminal.errorTakesEscapes())
{
}

void CTerminalDialog::showProgress(ProgressTexts texts)
{
    m_progressTexts = std::move(texts);
    m_progressLine.setSource([this] { return progressText(); });
}

std::string CTerminalDialog::progressText() const
{
    CProgressReport report;
    if (!m_progressTexts || !progressNow(report) || report.stage == ProgressStage::None)
        return std::string();
    const int columns = m_io.terminal.errorColumns();
    const std::string allSkds = CMessage::getInstance()->loadText(MSG_ALL_SKDS);
    return terminalProgressText(report, *m_progressTexts, allSkds,
                                static_cast<size_t>(columns > 0 ? columns : kDefaultColumns));
}

void CTerminalDialog::drawProgress()
{
    m_progressLine.redraw();
}

void CTerminalDialog::clearProgress()
{
    m_progressLine.clear();
}

bool CTerminalDialog::waitForJobDone(std::chrono::milliseconds wait)
{
    std::unique_lock<std::mutex> lock(m_doneMutex);
    return m_doneChanged.wait_for(lock, wait, [this] { return m_jobDone; });
}

void CTerminalDialog::write(std::ostream& stream, const std::string& text)
{
    // Drawn again from the latest report: the line that was there may be a stage behind.
    m_progressLine.around([&] { writeLine(stream, text); });
}

void CTerminalDialog::onStatusLine(const std::string& line)
{
    write(m_io.out, line);
}

void CTerminalDialog::onMessageBox(const std::string& text)
{
    write(m_io.err, text);
}

bool CTerminalDialog::onChooseFile(int, std::string& path)
{
    path = m_file;
    return true;
}

long CTerminalDialog::onMessage(unsigned message, long, long)
{
    switch (message) {
    case WM_ASK_PASSWORD:
        answerPassword();
        break;
    case WM_SKD_CHOOSE:
        answerSkdChoice();
        break;
    case WM_JOB_DONE: {
        std::lock_guard<std::mutex> lock(m_doneMutex);
        m_jobDone = true;
        m_doneChanged.notify_all();
        break;
    }
    default:
        break;
    }
    return 1;
}

void CTerminalDialog::answerPassword()
{
    if (m_password) {
        m_job->storePassword(" " + *m_password);
        return;
    }
    if (!m_io.terminal.isInteractive()) {
        write(m_io.err, "The gateway asks for a password: give it with --password-file PATH "
                            "(- reads it from standard input) or run the tool from a terminal.");
        m_job->storePassword(kPasswordCancelAnswer);
        return;
    }
    for (int attempt = 0; attempt < kPasswordAttempts; ++attempt) {
        std::string password;
        bool read = false;
        // The prompt has the terminal's last line to itself while the user types.
        m_progressLine.around([&] { read = readHiddenLine(m_io, "Gateway password: ", password); });
        if (!read)
            break;
        std::string bytes;
        if (utf8ToCp1252(password, bytes)) {
            m_job->storePassword(" " + password);
            return;
        }
        write(m_io.err, "The password holds a character the gateway cannot take "
                            "(only Windows-1252 characters are possible).");
    }
    write(m_io.err, "No password given: the job ends.");
    m_job->storePassword(kPasswordCancelAnswer);
}

void CTerminalDialog::answerSkdChoice()
{
    if (m_skdChoice == NoSkd) {
        m_job->storeSKDChoice(1, nullptr, 0);
        return;
    }
    std::vector<std::string> found;
    if (CKandoProtocol* bus = m_job->getKandoProtocol())
        bus->listBusSKD(found);

    if (m_skdChoice == AllSkds) {
        if (found.empty())
            write(m_io.err, "No SKD answered on the bus: the SKD backup is skipped.");
        m_job->storeSKDChoice(1, &found, 0);
        return;
    }
    const std::string wanted = std::to_string(m_master);
    if (std::find(found.begin(), found.end(), wanted) == found.end()) {
        std::string text = "SKD " + wanted + " was not found on the bus (found:";
        for (const std::string& n : found)
            text += " " + n;
        text += found.empty() ? " none)" : ")";
        write(m_io.err, text + "; the SKD backup is skipped.");
        m_choiceRefused = true;
        m_job->storeSKDChoice(1, nullptr, 0);
        return;
    }
    m_job->storeSKDChoice(1, &found, m_master);
}
