#include "cli/CTerminalDialog.h"

#include "bus/CKandoProtocol.h"
#include "cli/Terminal.h"
#include "job/CProtocol.h"
#include "platform/Encoding.h"

#include <algorithm>
#include <istream>
#include <ostream>

namespace {

constexpr int kPasswordAttempts = 3;

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
    : m_job(job), m_file(std::move(file)), m_io(io)
{
}

void CTerminalDialog::onStatusLine(const std::string& line)
{
    writeLine(m_io.out, line);
}

void CTerminalDialog::onMessageBox(const std::string& text)
{
    writeLine(m_io.err, text);
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
        writeLine(m_io.err, "The gateway asks for a password: give it with --password-file PATH "
                            "(- reads it from standard input) or run the tool from a terminal.");
        m_job->storePassword(kPasswordCancelAnswer);
        return;
    }
    for (int attempt = 0; attempt < kPasswordAttempts; ++attempt) {
        std::string password;
        if (!readHiddenLine(m_io, "Gateway password: ", password))
            break;
        std::string bytes;
        if (utf8ToCp1252(password, bytes)) {
            m_job->storePassword(" " + password);
            return;
        }
        writeLine(m_io.err, "The password holds a character the gateway cannot take "
                            "(only Windows-1252 characters are possible).");
    }
    writeLine(m_io.err, "No password given: the job ends.");
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
            writeLine(m_io.err, "No SKD answered on the bus: the SKD backup is skipped.");
        m_job->storeSKDChoice(1, &found, 0);
        return;
    }
    const std::string wanted = std::to_string(m_master);
    if (std::find(found.begin(), found.end(), wanted) == found.end()) {
        std::string text = "SKD " + wanted + " was not found on the bus (found:";
        for (const std::string& n : found)
            text += " " + n;
        text += found.empty() ? " none)" : ")";
        writeLine(m_io.err, text + "; the SKD backup is skipped.");
        m_choiceRefused = true;
        m_job->storeSKDChoice(1, nullptr, 0);
        return;
    }
    m_job->storeSKDChoice(1, &found, m_master);
}
