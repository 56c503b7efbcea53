#include "cli/CTerminalDialog.h"

#include "bus/CKandoProtocol.h"
#include "job/CProtocol.h"
#include "platform/Encoding.h"

#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <iostream>

namespace {

constexpr int kPasswordAttempts = 3;

struct termios g_savedTerminal;
volatile sig_atomic_t g_echoOff = 0;

void restoreEcho()
{
    if (g_echoOff) {
        tcsetattr(STDIN_FILENO, TCSANOW, &g_savedTerminal);
        g_echoOff = 0;
    }
}

// An interrupt while the echo is off must not leave the terminal without echo.
void onInterrupt(int sig)
{
    restoreEcho();
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

void writeLine(std::FILE* stream, const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

}  // namespace

bool readHiddenLine(const std::string& prompt, std::string& line)
{
    // Echo goes off before the prompt shows, so nothing typed after the prompt is echoed.
    struct termios quiet;
    const bool terminal = tcgetattr(STDIN_FILENO, &g_savedTerminal) == 0;
    auto oldInt = std::signal(SIGINT, onInterrupt);
    auto oldTerm = std::signal(SIGTERM, onInterrupt);
    if (terminal) {
        quiet = g_savedTerminal;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        quiet.c_lflag |= ECHONL;
        g_echoOff = tcsetattr(STDIN_FILENO, TCSANOW, &quiet) == 0;
    }
    std::fputs(prompt.c_str(), stderr);
    std::fflush(stderr);
    const bool ok = static_cast<bool>(std::getline(std::cin, line));
    restoreEcho();
    std::signal(SIGINT, oldInt);
    std::signal(SIGTERM, oldTerm);
    if (!ok)
        std::fputc('\n', stderr);
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return ok;
}

CTerminalDialog::CTerminalDialog(CProtocol* job, std::string file) : m_job(job), m_file(std::move(file)) {}

void CTerminalDialog::onStatusLine(const std::string& line)
{
    writeLine(stdout, line);
}

void CTerminalDialog::onMessageBox(const std::string& text)
{
    writeLine(stderr, text);
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
    if (!isatty(STDIN_FILENO)) {
        writeLine(stderr, "The gateway asks for a password: give it with --password-file PATH "
                          "(- reads it from standard input) or run the tool from a terminal.");
        m_job->storePassword(kPasswordCancelAnswer);
        return;
    }
    for (int attempt = 0; attempt < kPasswordAttempts; ++attempt) {
        std::string password;
        if (!readHiddenLine("Gateway password: ", password))
            break;
        std::string bytes;
        if (utf8ToCp1252(password, bytes)) {
            m_job->storePassword(" " + password);
            return;
        }
        writeLine(stderr, "The password holds a character the gateway cannot take "
                          "(only Windows-1252 characters are possible).");
    }
    writeLine(stderr, "No password given: the job ends.");
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
            writeLine(stderr, "No SKD answered on the bus: the SKD backup is skipped.");
        m_job->storeSKDChoice(1, &found, 0);
        return;
    }
    const std::string wanted = std::to_string(m_master);
    if (std::find(found.begin(), found.end(), wanted) == found.end()) {
        std::string text = "SKD " + wanted + " was not found on the bus (found:";
        for (const std::string& n : found)
            text += " " + n;
        text += found.empty() ? " none)" : ")";
        writeLine(stderr, text + "; the SKD backup is skipped.");
        m_choiceRefused = true;
        m_job->storeSKDChoice(1, nullptr, 0);
        return;
    }
    m_job->storeSKDChoice(1, &found, m_master);
}
