#pragma once

#include "cli/CProgressLine.h"
#include "cli/Cli.h"
#include "platform/DialogLink.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>

class CProtocol;

// The terminal as the job's dialog thread: status lines go to io.out, message boxes to io.err;
// the file is the one named on the command line; the password and the SKD choice come from
// the options or, for the password, from the terminal. With the progress line on, io.err keeps
// one line at its bottom that drawProgress() rewrites; everything else the tool writes takes
// it away first.
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

    // The progress line, with its words in the tool's language.
    void showProgress(ProgressTexts texts);
    // Any thread: draws the latest progress report; nothing while none has come.
    void drawProgress();
    // Takes the progress line away for good.
    void clearProgress();
    // Waits until the job has sent WM_JOB_DONE or wait has passed; true once it has.
    bool waitForJobDone(std::chrono::milliseconds wait);

protected:
    void onStatusLine(const std::string& line) override;
    long onMessage(unsigned message, long wParam, long lParam) override;
    bool onChooseFile(int jobMode, std::string& path) override;
    void onMessageBox(const std::string& text) override;

private:
    void answerPassword();
    void answerSkdChoice();
    // A line on stream, with the progress line out of the way.
    void write(std::ostream& stream, const std::string& text);
    // The line of the latest progress report; empty when there is none.
    std::string progressText() const;

    CProtocol* m_job;
    std::string m_file;
    CliIo m_io;
    std::optional<std::string> m_password;
    SkdChoice m_skdChoice = AllSkds;
    int m_master = 0;
    bool m_choiceRefused = false;

    std::optional<ProgressTexts> m_progressTexts;
    CProgressLine m_progressLine;
    std::mutex m_doneMutex;
    std::condition_variable m_doneChanged;
    bool m_jobDone = false;
};

// Reads a line from io.in with the terminal's echo off, the prompt on io.err. False at end
// of input.
bool readHiddenLine(const CliIo& io, const std::string& prompt, std::string& line);
