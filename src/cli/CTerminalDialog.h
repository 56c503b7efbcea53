#pragma once

#include "cli/Cli.h"
#include "platform/DialogLink.h"

#include <optional>
#include <string>

class CProtocol;

// The terminal as the job's dialog thread: status lines go to io.out, message boxes to io.err;
// the file is the one named on the command line; the password and the SKD choice come from
// the options or, for the password, from the terminal.
class CTerminalDialog : public CDirectDialogLink
{
public:
    enum SkdChoice { AllSkds, NoSkd, MasterSkd };

    CTerminalDialog(CProtocol* job, std::string file, const CliIo& io);

    // A password given up front (from --password-file); none: ask on the terminal.
    void setPassword(std::optional<std::string> password) { m_password = std::move(password); }
    void setSkdChoice(SkdChoice choice, int master = 0)
    {
        m_skdChoice = choice;
        m_master = master;
    }

    // True when the job's SKD master choice could not be honoured (master not on the bus).
    bool choiceRefused() const { return m_choiceRefused; }

protected:
    void onStatusLine(const std::string& line) override;
    long onMessage(unsigned message, long wParam, long lParam) override;
    bool onChooseFile(int jobMode, std::string& path) override;
    void onMessageBox(const std::string& text) override;

private:
    void answerPassword();
    void answerSkdChoice();

    CProtocol* m_job;
    std::string m_file;
    CliIo m_io;
    std::optional<std::string> m_password;
    SkdChoice m_skdChoice = AllSkds;
    int m_master = 0;
    bool m_choiceRefused = false;
};

// Reads a line from io.in with the terminal's echo off, the prompt on io.err. False at end
// of input.
bool readHiddenLine(const CliIo& io, const std::string& prompt, std::string& line);
